#include "HeadlessBuild.h"

#include <filesystem>
#include <initializer_list>
#include <ostream>

#include "Environment.h"
#include "FileUtil.h"
#include "InstallFolders.h"
#include "LevelInfo.h"
#include "LevelSetBuild.h"
#include "LevelTool.h"
#include "Passwords.h"
#include "ProjectFile.h"
#include "Prompts.h"
#include "Registry.h"
#include "ToolRunner.h"

namespace gdl {

namespace {

constexpr std::string_view kBuildOnlyOptions[] = {"--output", "--source-folder", "--level-list",
                                                  "--overwrite"};

bool Has(const std::vector<std::string>& args, std::string_view arg) {
    for (const auto& a : args)
        if (a == arg) return true;
    return false;
}

CommandLine Usage(std::string error) {
    CommandLine c;
    c.kind = CommandKind::UsageError;
    c.error = std::move(error);
    return c;
}

// Every line the status list would receive, one per line.
class StreamBuildView : public BuildView {
public:
    explicit StreamBuildView(std::ostream& out) : out_(out) {}
    void SetStatusBar(const std::string&) override {}
    void ClearStatusLines() override {}
    void AddStatusLine(const std::string& line) override {
        out_ << ForTerminal(line) << '\n' << std::flush;
    }
    void SetProgressMax(int) override {}
    void SetProgress(int) override {}
    void SetBuildControlsEnabled(bool) override {}

private:
    std::ostream& out_;
};

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    if (Has(args, "--help")) {
        c.kind = CommandKind::Help;
        return c;
    }
    if (Has(args, "--version")) {
        c.kind = CommandKind::Version;
        return c;
    }
    if (!Has(args, "--build")) {
        for (auto option : kBuildOnlyOptions)
            if (Has(args, option)) return Usage(std::string(option) + " needs --build");
        return c;
    }
    c.kind = CommandKind::Build;
    HeadlessOptions& o = c.options;
    bool haveProject = false, haveOutput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](bool& seen, std::string& into) -> bool {
            if (seen) return false;
            if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0 || args[i + 1].empty())
                return false;
            seen = true;
            into = args[++i];
            return true;
        };
        if (a == "--build") {
            if (!value(haveProject, o.project))
                return Usage("--build needs one project file (PROJECT.gdp)");
        } else if (a == "--output") {
            if (!value(haveOutput, o.output)) return Usage("--output needs one file name");
        } else if (a == "--source-folder") {
            o.sourceFolder = true;
        } else if (a == "--level-list") {
            o.levelList = true;
        } else if (a == "--overwrite") {
            o.overwrite = true;
        } else if (a.rfind("-", 0) == 0) {
            return Usage("unknown option " + a);
        } else {
            return Usage("unexpected argument " + a);
        }
    }
    return c;
}

std::string UsageText() {
    return "Usage: GDLEdit [PROJECT.gdp | SOURCE.lvs]\n"
           "       GDLEdit --build PROJECT.gdp [--output FILE] [--source-folder] [--level-list]"
           " [--overwrite]\n"
           "       GDLEdit --help | --version\n"
           "\n"
           "Builds the project's level set without opening a window and prints the build's\n"
           "status lines.\n"
           "\n"
           "  --output FILE     write the level set to FILE instead of the Build page's path\n"
           "  --source-folder   build in the project's folder (Build in Source Folder)\n"
           "  --level-list      also write the level list, PROJECT.txt in the project folder\n"
           "  --overwrite       replace an existing level set file instead of cancelling\n"
           "\n"
           "Exit status: 0 done, 1 errors found, 2 usage or installation error, 3 cancelled.\n";
}

int RunHeadlessBuild(const HeadlessOptions& options, HeadlessContext& context, std::ostream& out,
                     std::ostream& err) {
    StreamPrompts prompts(err, options.overwrite ? Answer::Yes : Answer::No,
                          options.overwrite ? " Yes" : " No (use --overwrite)");
    SeedInstallFolder(context.registry, context.programFolder);
    const InstallFolders folders =
        ReadInstallFolders(context.registry, context.programFolder, UserKitFolder());
    if (!folders.installed) {
        err << ForTerminal(kNotInstalledMessage) << '\n';
        return kExitUsage;
    }
    // A failure shows in the build's own line on the output it could not write.
    MakeUserFolders(folders);
    LevelTool tool(folders.toolFolder, context.runner, prompts);
    if (!tool.CheckToolFiles({kLevelToolExe, kLevelToolPif}, true)) return kExitUsage;

    const std::string path = AbsolutePath(options.project);
    if (!FileExists(path)) {
        err << "GDLEdit: " << path << ": no such file\n";
        return kExitUsage;
    }
    Result<ProjectModel> project = ReadProject(path);
    if (!project) {
        if (project.Err().Kind() == ErrorKind::BadFormat)
            err << "GDLEdit: " << path << " is not a GDLEdit project\n";
        else
            err << "GDLEdit: " << project.Err().Message() << "\n";
        return kExitUsage;
    }
    ProjectModel& model = *project;

    BuildSettings settings;
    settings.levelList = options.levelList;
    settings.toolOutput = &context.runner;
    settings.outputPath =
        options.output.empty()
            ? ComposeOutputPath(folders.buildFolder, model.folder,
                                BaseName(model.fileName) + ".gdl", options.sourceFolder)
            : options.output;

    // The listing caches are derived data; the editor drops them on load and close.
    settings.freshListings = true;

    StreamBuildView view(out);
    const BuildResult result =
        RunLevelSetBuild(model, settings, tool, prompts, context.random, view);
    switch (result.outcome) {
        case BuildOutcome::Done:
            return kExitDone;
        case BuildOutcome::Errors:
            return kExitErrors;
        case BuildOutcome::Cancelled:
            return kExitCancelled;
    }
    return kExitErrors;
}

int RunCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err) {
    switch (command.kind) {
        case CommandKind::Help:
            out << UsageText();
            return kExitDone;
        case CommandKind::Version:
            out << "GDLEdit " << kGdlEditVersion << '\n';
            return kExitDone;
        case CommandKind::UsageError:
            err << "GDLEdit: " << command.error << "\n\n" << UsageText();
            return kExitUsage;
        case CommandKind::Gui:
            err << kNoWindowsMessage << '\n';
            return kExitUsage;
        case CommandKind::Build:
            break;
    }
    FileRegistry registry = FileRegistry::FromEnvironment();
    PosixToolRunner runner;
    ClockRandom random;
    HeadlessContext context{registry, ProgramFolder(), runner, random};
    return RunHeadlessBuild(command.options, context, out, err);
}

}  // namespace gdl
