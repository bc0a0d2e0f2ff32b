// The player's tests' surroundings: level set files and projects made up in a
// temp folder, and the main window over test doubles of all its ports, with
// the Lynx's side of the cable played by the test on a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeSerialMachine.h"
#include "FakeTools.h"
#include "FileUtil.h"
#include "IniFile.h"
#include "LevelSetFile.h"
#include "LevelTexts.h"
#include "Link.h"
#include "PlayerFakes.h"
#include "PlayerWindow.h"
#include "ProjectFile.h"
#include "Prompts.h"
#include "Registry.h"
#include "SerialLine.h"
#include "StartUp.h"
#include "TempDir.h"
#include "TextUtil.h"
#include "Timer.h"
#include "ToolRunner.h"

namespace gdltest {

// One level of a made-up set, as its table entry, record and project keys hold it.
struct PlayLevel {
    std::string code;
    std::string designer;
    std::string hint;
    std::string music = "0";  // a level set file stores its number
    std::string compiled;     // the compiled level's bytes
};

// Levels 1 .. count: code "L00k", designer "Designer k", hint "Hint k", a
// 40-byte compiled level named "LEVEL k".
inline std::vector<PlayLevel> NumberedLevels(int count) {
    std::vector<PlayLevel> levels;
    for (int k = 1; k <= count; ++k) {
        const std::string n = std::to_string(k);
        levels.push_back({"L" + std::string(3 - n.size(), '0') + n, "Designer " + n, "Hint " + n,
                          "0", CompiledLevelBytes(40, "LEVEL " + n)});
    }
    return levels;
}

struct SetText {
    std::string name = "Test Set";
    int hidden = 0;
    std::string wizard, comments;
};
inline SetText Hidden(int hidden) {
    SetText set;
    set.hidden = hidden;
    return set;
}

inline std::string LevelSetFileBytes(const SetText& set, const std::vector<PlayLevel>& levels) {
    const auto hidden = static_cast<std::uint8_t>(set.hidden);
    std::vector<gdl::LevelSetLevel> out;
    for (const auto& l : levels) {
        const auto music = static_cast<std::uint8_t>(gdl::ParseDecimal(l.music).value_or(0));
        out.push_back({{false, 0, l.code, l.designer, music, 0}, l.hint, l.compiled});
    }
    return gdl::SerializeLevelSet({set.name, "2024", "Notice", set.wizard, set.comments, hidden, 0},
                                  out);
}

// A project whose level k is "S:LEVk" with its compiled file beside it.
inline std::string WriteProjectSet(const std::string& folder, const std::string& file,
                                   const SetText& set, const std::vector<PlayLevel>& levels) {
    gdl::ProjectModel m;
    m.name = set.name;
    m.offset = set.hidden;
    m.wizard = set.wizard;
    m.notice = "Notice";
    m.musicMode = gdl::MusicMode::Manual;
    m.sources = {"S"};
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const PlayLevel& l = levels[k];
        std::string level = "LEV" + std::to_string(k + 1);
        m.levels.push_back({"S:" + level, l.designer, l.code, l.music, l.hint});
        gdl::WriteFileAtomic(folder + level + ".bin", l.compiled);
    }
    EXPECT_TRUE(gdl::SaveProjectAs(m, folder + file));
    return folder + file;
}

using PlayerLine = gdl::FakeSerialLine;

// One send as the Lynx receives it: preamble, header, level bytes.
struct Received {
    gdl::LinkHeader header{};
    std::string level;
    std::string Title() const {
        std::string codes(header.begin() + 7, header.begin() + 27);
        return gdl::DecodeLynxText(codes, 20);
    }
};

// An installed player (tool folder with the level tool files), a folder for
// the sets, the window's ports as test doubles, and the Lynx played by hand.
class PlayerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        WriteMarkers(bin, {"ld.exe", "ld.pif"});
        timer.onTick = [this] { window->Timer1Timer(); };
    }

    gdl::PlayerWindow& Start(std::vector<std::string> args = {}) {
        gdl::PlayerPorts ports{*registry, runner, prompts, timer, line, dialogs};
        // The serial devices are the test's, never the machine's.
        ports.serialRoots = machine.roots;
        ports.repaint = [this] { repaints.push_back({View().Panel5Color, View().Panel6Color}); };
        window = std::make_unique<gdl::PlayerWindow>(ports, std::move(args), bin);
        window->FormActivate();
        return *window;
    }

    std::string WriteSet(const std::vector<PlayLevel>& levels, const SetText& set = {},
                         const std::string& file = "set.gdl") {
        gdl::WriteFileAtomic(sets + file, LevelSetFileBytes(set, levels));
        return sets + file;
    }
    std::string WriteProject(const std::vector<PlayLevel>& levels, const SetText& set = {},
                             const std::string& file = "set.gdp") {
        return WriteProjectSet(sets, file, set, levels);
    }
    std::string Write(gdl::SetKind kind, const std::vector<PlayLevel>& levels,
                      const SetText& set = {}) {
        return kind == gdl::SetKind::Project ? WriteProject(levels, set) : WriteSet(levels, set);
    }

    void Option(const char* name, const std::string& value) {
        registry->WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyPlayOptions, name, value);
    }

    const gdl::PlayerView& View() const { return window->View(); }
    const gdl::PlayerState& State() const { return window->State(); }
    gdl::LinkState LinkState() const { return window->LinkLayer().State(); }

    // Typed into the code field, then PLAY.
    void PlayCode(const std::string& code) {
        window->ePWChange(code);
        window->SpeedButton1Click();
    }

    // The Lynx: n receive notifications, one byte each.
    void Hear(int n = 1) {
        for (int i = 0; i < n; ++i) {
            line.incoming.push_back(0x5A);
            window->zComDataAvailable();
        }
    }
    void Silence() { timer.Advance(gdl::kWatchdogMs); }
    // The Lynx takes the level and falls silent: lsPlaying.
    void Answer() {
        Hear();
        Silence();
    }

    // Every complete send written to the line so far.
    std::vector<Received> Sends() const {
        const std::string w(line.written.begin(), line.written.end());
        std::vector<Received> sends;
        for (std::size_t at = 0; at + kSendHead <= w.size(); at += kSendHead) {
            Received r;
            std::copy_n(w.begin() + static_cast<long>(at + gdl::kPreambleBytes),
                        gdl::kLinkHeaderSize, r.header.begin());
            r.level = w.substr(at + kSendHead, r.header[30] | (r.header[31] << 8));
            at += r.level.size();
            sends.push_back(r);
        }
        return sends;
    }
    static constexpr std::size_t kSendHead = gdl::kPreambleBytes + gdl::kLinkHeaderSize;

    // RESTART, confirmed, with a code typed.
    void Restart(const std::string& typed) {
        window->ePWChange(typed);
        prompts.answers = {gdl::Answer::Yes};
        window->SpeedButton4Click();
    }

    int Asked(const std::string& text) const {
        int n = 0;
        for (const auto& s : prompts.shown) n += s.kind == "ask" && s.text == text;
        return n;
    }

    TempDir kit;
    std::string bin = kit.MakeFolder("bin"), sets = kit.MakeFolder("levels");
    FakeMachine machine;
    std::unique_ptr<gdl::Registry> registry = std::make_unique<gdl::MemoryRegistry>();
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ManualTimer timer;
    PlayerLine line;
    gdl::ScriptedPlayerDialogs dialogs;
    std::unique_ptr<gdl::PlayerWindow> window;
    // Panel5's and Panel6's colours at each repaint.
    std::vector<std::pair<gdl::Rgb, gdl::Rgb>> repaints;
};

}  // namespace gdltest
