#include "SourceEditor.h"

#include <ostream>

#include "Environment.h"
#include "LevelTool.h"
#include "LevelToolCommands.h"
#include "ToolProcess.h"

namespace gdl {

namespace {

constexpr char kProgram[] = "ld.exe: ";

std::vector<std::string> EditorWords() {
    for (const char* var : {"VISUAL", "EDITOR"}) {
        auto words = SplitCommandWords(EnvValue(var));
        if (!words.empty()) return words;
    }
    for (const char* fallback : {"nano", "vi"})
        if (FindProgram(fallback)) return {fallback};
    return {};
}

void ReportSource(const std::string& name, std::ostream& err) {
    std::string problem;
    auto source = LoadSource("", name, &problem);
    if (!source) return;
    ParsedSource parsed = ParseLevelSource(source->text);
    PrintSourceMessages(source->fileName, parsed, err);
    err << source->fileName << ": " << parsed.levels.size() << " good level"
        << (parsed.levels.size() == 1 ? "" : "s") << ", " << parsed.errorCount << " error"
        << (parsed.errorCount == 1 ? "" : "s") << '\n';
}

}  // namespace

int EditSource(const std::string& argument, bool text, std::ostream& err) {
    std::string problem;
    auto name = SourceNameFromArgument(argument, &problem);
    std::optional<LoadedSource> source;
    if (name) source = LoadSource("", *name, &problem);
    if (!source) {
        err << kProgram << problem << '\n';
        return kToolErrors;
    }
    // Shown as given by the batch file, but never as control characters.
    std::string port;
    for (char c : EnvValue("LD_COM").substr(0, 8))
        if (c > 0x20 && c < 0x7F) port += c;
    std::string link = port.empty() ? std::string() : " (Lynx link on COM" + port + ")";
    err << kProgram << "editing " << source->fileName << link << '\n';

    // On a desktop the map editor beside us takes the edit, in a window of
    // its own: no terminal is needed.
    const std::string mapEditor = OwnProgramFolder() + kMapEditorExe;
    const bool map = !text && HaveDisplay() && IsExecutableFile(mapEditor);
    auto argv = map ? std::vector<std::string>{mapEditor} : EditorWords();
    if (argv.empty()) {
        err << kProgram << "no editor found; set VISUAL or EDITOR\n";
        return kToolErrors;
    }
    // "./" keeps a name starting with "-" from reading as an option.
    argv.push_back("./" + source->fileName);
    if (!map && !StdinIsTerminal()) {
        auto terminal = TerminalCommand("ld.exe - " + source->fileName + link, argv);
        if (!terminal) {
            err << kProgram << "no terminal window to edit " << source->fileName
                << " in; install xterm or set GDLKIT_TERMINAL\n";
            return kToolErrors;
        }
        argv = std::move(*terminal);
    }
    auto status = RunAndWait(argv, &problem);
    if (!status) {
        err << kProgram << problem << '\n';
        return kToolErrors;
    }
    if (*status != 0) {
        err << kProgram << argv.front() << " ended with status " << *status << '\n';
        return kToolErrors;
    }
    ReportSource(*name, err);
    return kToolOk;
}

}  // namespace gdl
