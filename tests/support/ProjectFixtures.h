// The editor's tests' surroundings: a level tool played by the test and an
// installed kit with the project window over it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EditorDialogs.h"
#include "EditorFakes.h"
#include "FakeTools.h"
#include "FileUtil.h"
#include "Passwords.h"
#include "ProjectFile.h"
#include "ProjectWindow.h"
#include "Prompts.h"
#include "Registry.h"
#include "SoundPlayer.h"
#include "TempDir.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdltest {

// The level tool behind a RecordingToolRunner: it reads the batch file it is
// asked to run and does that batch's work in the working folder, from texts
// and bytes the test prepared.
struct FakeLevelTool {
    std::map<std::string, std::string> listings;                        // source -> ".te1"
    std::map<std::string, std::map<std::string, std::string>> sources;  // source -> level -> bytes
    std::vector<std::string> listed, compiled;                          // sources, in run order
    // Called before a compile writes its levels, with the number of compiles so far.
    std::function<void(const std::string& source, std::size_t n)> onCompile;

    void Attach(gdl::RecordingToolRunner& runner) {
        runner.onRun = [this](const gdl::ToolCall& call) { return Run(call); };
    }

    int Run(const gdl::ToolCall& call) {
        const std::string batch = gdl::ReadFileBytes(call.file).value_or("");
        const std::string& source = call.argument;
        if (batch.find("-m%1") != std::string::npos) {
            compiled.push_back(source);
            if (onCompile) onCompile(source, compiled.size());
            for (const auto& [level, bytes] : sources[source])
                gdl::WriteFileAtomic(call.folder + level + ".bin", bytes);
        } else if (batch.find("-s%1") != std::string::npos) {
            listed.push_back(source);
            if (listings.count(source))
                gdl::WriteFileAtomic(call.folder + source + ".te1", listings[source]);
        } else if (batch.find("gdlstat") != std::string::npos) {
            // Seven lines the build drops, then a count of the list's level lines.
            auto te3 = gdl::ReadFileBytes(call.folder + source + ".te3");
            if (!te3) return 2;
            int levels = 0;
            for (const auto& line : gdl::SplitLines(*te3)) levels += line.size() == 103;
            std::string te4;
            for (int i = 0; i < 7; ++i) te4 += "dropped " + std::to_string(i) + "\r\n";
            gdl::WriteFileAtomic(call.folder + source + ".te4",
                                 te4 + "Levels listed: " + std::to_string(levels) + "\r\n");
        }
        return 0;
    }
};

// An installed kit (tool folder, projects and levels folders) named by the
// machine registry, the test doubles of the window's ports, and the level
// tool played by the test.
class ProjectWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        WriteMarkers(bin, {"ld.exe", "ld.pif", "ldinfo.pif", "resource.001"});
        install.MakeFolder("levels");
        registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyRoot, "", install.Folder());
        fake.Attach(runner);
    }

    gdl::ProjectWindow& Start(std::vector<std::string> args = {}) {
        window = std::make_unique<gdl::ProjectWindow>(gdl::EditorPorts{
            registry, runner, prompts, dialogs, sound, random, bin, [this] { ++changes; }});
        window->FormActivate(args);
        return *window;
    }

    // A project file in the projects folder with one level entry per reference.
    std::string WriteProject(const std::string& file, const std::vector<std::string>& sources,
                             const std::vector<std::string>& references, int offset = 0,
                             gdl::MusicMode mode = gdl::MusicMode::Manual) {
        gdl::ProjectModel m;
        m.name = "Test Set";
        m.offset = offset;
        m.musicMode = mode;
        m.sources = sources;
        for (const auto& r : references) m.levels.push_back({r, "", "", "0", ""});
        EXPECT_TRUE(gdl::SaveProjectAs(m, projects + file));
        return projects + file;
    }

    std::vector<std::string> References() const {
        std::vector<std::string> r;
        for (const auto& e : window->Model().levels) r.push_back(e.reference);
        return r;
    }

    int MessagesWithCaption(const std::string& caption) const {
        int n = 0;
        for (const auto& s : prompts.shown) n += s.caption == caption;
        return n;
    }

    TempDir install;
    std::string bin = install.MakeFolder("bin"), projects = install.MakeFolder("source");
    gdl::MemoryRegistry registry;
    FakeLevelTool fake;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ScriptedEditorDialogs dialogs;
    gdl::RecordingSoundPlayer sound;
    gdl::ScriptedRandom random;
    std::unique_ptr<gdl::ProjectWindow> window;
    int changes = 0;
};

// The project window over a kit installed at installFolder, with the real
// process runner: the tools in its bin folder run as processes.
struct RealProcessWindow {
    explicit RealProcessWindow(const std::string& installFolder,
                               std::function<void()> processEvents = {})
        : runner(std::move(processEvents)) {
        registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyRoot, "", installFolder);
        window = std::make_unique<gdl::ProjectWindow>(gdl::EditorPorts{
            registry, runner, prompts, dialogs, sound, random, installFolder + "bin/"});
    }
    // Starts the window on a project; the project must open.
    gdl::ProjectWindow& Open(const std::string& project) {
        window->FormActivate({project});
        EXPECT_TRUE(window->Model().open);
        return *window;
    }

    gdl::MemoryRegistry registry;
    gdl::PosixToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ScriptedEditorDialogs dialogs;
    gdl::RecordingSoundPlayer sound;
    gdl::ClockRandom random{7};
    std::unique_ptr<gdl::ProjectWindow> window;
};

}  // namespace gdltest
