#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "FakeTools.h"
#include "LinkStream.h"
#include "RunProgram.h"
#include "SimScript.h"
#include "ZcommFixtures.h"

using gdltest::Bytes;
using std::chrono::milliseconds;

namespace {

// The link header of level label 1 on a first play, for the level bytes 01 02 03.
const Bytes kHeader = {0x47, 0x44, 0x4C, 0x13, 0xFF, 0x28, 0x1B, 0x1B, 0x0E, 0x01, 0x17, 0x10,
                       0x21, 0x10, 0x17, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                       0x00, 0x00, 0x00, 0x01, 0x00, 0x80, 0x03, 0x00, 0x06, 0x00, 0x6A, 0x01};
const Bytes kLevel = {0x01, 0x02, 0x03};
const std::string kLevelLine =
    R"({"event":"level","preamble":512,"title":"PC LEVEL 1","column":40,"kind":1,"fresh":128,)"
    R"("music":0,"length":3,"dataChecksum":6,"dataChecksumOk":true,"headerChecksum":362,)"
    R"("headerChecksumOk":true,"ms":)";

Bytes Stream(const Bytes& header, const Bytes& level, std::size_t preamble = 512) {
    Bytes bytes(preamble, 0xA5);
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), level.begin(), level.end());
    return bytes;
}

std::vector<std::string> ParseAll(const Bytes& bytes, milliseconds step = milliseconds(0)) {
    gdl::LinkStreamParser parser;
    std::vector<std::string> lines;
    auto at = gdl::SimClock::time_point{};
    for (unsigned char byte : bytes) {
        for (const auto& e : parser.Feed(byte, at)) lines.push_back(gdl::ToJson(e));
        at += step;
    }
    for (const auto& e : parser.Tick(at + milliseconds(500))) lines.push_back(gdl::ToJson(e));
    return lines;
}

TEST(LinkStreamParser, TakesAGoodLevelApart) {
    auto lines = ParseAll(Stream(kHeader, kLevel), milliseconds(1));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], kLevelLine + "550.0}");
}

TEST(LinkStreamParser, ReportsWhatItCannotParseAndFindsTheNextLevel) {
    auto changed = [](std::size_t at, unsigned char value) {
        Bytes header = kHeader;
        header[at] = value;
        return header;
    };
    Bytes noLevel = changed(30, 0);
    noLevel[32] = 0;
    noLevel[34] = 0x61;  // the header sum without L and the data sum
    struct Case {
        Bytes bytes;
        std::string reason;
        bool needsPause;  // only silence tells that it ended
    };
    const std::vector<Case> cases = {
        {Stream(changed(29, 0x81), kLevel), "bad header checksum: stored 362, computed 363", false},
        {Stream(changed(3, 0x14), kLevel), "bad magic: header byte 3 is 0x14, expected 0x13",
         false},
        {Stream(changed(6, 0x1C), kLevel), "bad header byte 6: 0x1C, expected 0x1B", false},
        {Bytes{0x10, 0x11}, "unexpected byte 0x10 outside a level", false},
        {Bytes{0xA5, 0xA5, 0x00}, "bad magic: 0x00 after the preamble, expected 0x47", false},
        {Stream(kHeader, {0x01, 0x02}), "incomplete level: 2 of 3 level bytes came", true},
        {Stream(Bytes(kHeader.begin(), kHeader.begin() + 10), {}),
         "incomplete header: 10 of 36 bytes came", true},
    };
    for (const auto& c : cases) {
        const std::string error = R"({"event":"error","reason":")" + c.reason + "\"}";
        EXPECT_EQ(ParseAll(c.bytes), std::vector<std::string>{error});
        // Whatever came before, the next level is found.
        gdl::LinkStreamParser parser;
        std::vector<std::string> lines;
        auto at = gdl::SimClock::time_point{};
        const Bytes good = Stream(kHeader, kLevel, 8);
        for (const Bytes* part : {&c.bytes, &good}) {
            for (unsigned char byte : *part) {
                for (const auto& e : parser.Feed(byte, at)) lines.push_back(gdl::ToJson(e));
            }
            if (c.needsPause) at += milliseconds(600);
        }
        ASSERT_EQ(lines.size(), 2u) << c.reason;
        EXPECT_EQ(lines[0], error);
        EXPECT_NE(lines[1].find(R"("preamble":8,"title":"PC LEVEL 1")"), std::string::npos)
            << lines[1];
    }
    auto lines = ParseAll(Stream(noLevel, {}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(R"("length":0,"dataChecksum":0,"dataChecksumOk":true)"),
              std::string::npos)
        << lines[0];
    lines = ParseAll(Stream(kHeader, {0x01, 0x02, 0x04}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(R"("dataChecksumOk":false)"), std::string::npos);
}

TEST(ParseSimScript, ReadsStepsAndRefusesOthers) {
    std::string error;
    auto steps = gdl::ParseSimScript(" wait-level; answer;burst 4 ; wait 20; ; quit", error);
    ASSERT_TRUE(steps);
    ASSERT_EQ(steps->size(), 5u);
    EXPECT_EQ((*steps)[2].kind, gdl::SimStep::Kind::Burst);
    EXPECT_EQ((*steps)[2].value, 4u);
    EXPECT_EQ((*steps)[3].value, 20u);
    for (const char* bad :
         {"burst", "burst 0", "burst -1", "wait x", "answer 3", "jump", "quit now please"}) {
        EXPECT_FALSE(gdl::ParseSimScript(bad, error)) << bad;
        EXPECT_NE(error.find("step \""), std::string::npos) << error;
    }
}

// lynxsim running as a child: its first line names its pty.
class LynxSim : public gdltest::ChildProcess {
public:
    explicit LynxSim(std::vector<std::string> args)
        : ChildProcess(WithProgram(std::move(args))), device_(NextLine().value_or("")) {}
    const std::string& Device() const { return device_; }
    std::optional<std::string> NextLine() { return ReadLine(gdltest::kPatience); }
    // The q key; it ends once its output is read.
    int Quit() {
        Input("q");
        return Wait();
    }

private:
    static std::vector<std::string> WithProgram(std::vector<std::string> args) {
        args.insert(args.begin(), gdltest::KitBin() + "lynxsim");
        return args;
    }
    std::string device_;
};

// The player's side of the cable.
struct Player {
    gdltest::PostQueue events;
    gdl::TZComm comm{events.Poster()};
    Bytes received;
    int notifications = 0;

    explicit Player(const std::string& device) {
        gdltest::UseLinkSettings(comm, device);
        comm.OnDataAvailable = [this](gdl::TZComm* sender) {
            ++notifications;
            unsigned char buffer[6];
            long n = sender->ReadComm(buffer, sizeof buffer);
            // More than 6 at once stay for the next notification; take them all here.
            while (n > 0) {
                received.insert(received.end(), buffer, buffer + n);
                n = sender->ReadComm(buffer, sizeof buffer);
            }
        };
        EXPECT_TRUE(comm.OpenConnection()) << comm.LastError();
    }
    // As the player sends a level.
    void SendLevel(const Bytes& header, const Bytes& level) {
        Bytes stream(512, 0xA5);
        stream.insert(stream.end(), header.begin(), header.end());
        stream.insert(stream.end(), level.begin(), level.end());
        EXPECT_TRUE(comm.WriteComm(stream.data(), static_cast<long>(stream.size())));
        EXPECT_TRUE(gdltest::WaitWritten(comm, events, std::chrono::seconds(20)));
    }
    bool Receive(std::size_t count) {
        return events.PumpUntil([&] { return received.size() >= count; });
    }
};

TEST(LynxSim, TakesTheExampleLevelEchoesItAndAnswers) {
    LynxSim sim({});
    ASSERT_FALSE(sim.Device().empty());
    Player player(sim.Device());
    player.SendLevel(kHeader, kLevel);
    auto line = sim.NextLine();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->substr(0, kLevelLine.size()), kLevelLine);
    EXPECT_EQ(sim.NextLine(), R"({"event":"answer","count":4})");
    Bytes expected = Stream(kHeader, kLevel);
    const std::size_t sent = expected.size();
    expected.insert(expected.end(), 4, 0x5A);
    ASSERT_TRUE(player.Receive(expected.size()));
    EXPECT_EQ(player.received, expected);
    EXPECT_GT(player.notifications, 0);
    EXPECT_LE(player.notifications, static_cast<int>(sent) + 4);
    EXPECT_EQ(sim.Quit(), 0);
}

TEST(LynxSim, ABadHeaderGetsAnErrorLineAndNoAnswer) {
    LynxSim sim({"--no-echo", "--answer-delay", "0"});
    Player player(sim.Device());
    Bytes bad = kHeader;
    bad[29] = 0x81;
    player.SendLevel(bad, kLevel);
    EXPECT_EQ(sim.NextLine(),
              R"({"event":"error","reason":"bad header checksum: stored 362, computed 363"})");
    player.SendLevel(kHeader, kLevel);
    auto line = sim.NextLine();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->substr(0, kLevelLine.size()), kLevelLine);
    EXPECT_EQ(sim.NextLine(), R"({"event":"answer","count":4})");
    ASSERT_TRUE(player.Receive(4));
    EXPECT_EQ(sim.Quit(), 0);
    player.events.PumpQueued();
    EXPECT_EQ(player.received, Bytes(4, 0x5A));
}

TEST(LynxSim, EachByteOfABurstIsANotificationOfItsOwn) {
    LynxSim sim({"--no-echo", "--answer-bytes", "1"});
    Player player(sim.Device());
    player.SendLevel(kHeader, kLevel);
    ASSERT_TRUE(player.Receive(1));
    const int beforeBurst = player.notifications;
    ASSERT_TRUE(sim.Input("n"));
    ASSERT_TRUE(player.Receive(5));
    EXPECT_EQ(player.notifications - beforeBurst, 4);
    EXPECT_EQ(player.received, (Bytes{0x5A, 0x42, 0x42, 0x42, 0x42}));
    sim.NextLine();  // the level
    sim.NextLine();  // its answer
    EXPECT_EQ(sim.NextLine(), R"({"event":"burst","count":4})");
}

TEST(LynxSim, FollowsItsScriptAndPacesTheWire) {
    LynxSim sim({"--no-echo", "--baud", "9600", "--answer-delay", "0", "--script",
                 "wait-level; answer; burst 2; quit"});
    Player player(sim.Device());
    player.SendLevel(kHeader, kLevel);
    auto line = sim.NextLine();
    ASSERT_TRUE(line);
    // 551 bytes of 11 bits at 9600 baud: the last arrives 550 byte times after the first.
    auto ms = std::stod(line->substr(line->find("\"ms\":") + 5));
    EXPECT_GE(ms, 550 * 11 * 1000.0 / 9600 - 0.5);
    EXPECT_TRUE(player.Receive(6));
    EXPECT_EQ(player.received, (Bytes{0x5A, 0x5A, 0x5A, 0x5A, 0x42, 0x42}));
    EXPECT_EQ(sim.Wait(), 0);
}

TEST(LynxSim, ExplainsItsArguments) {
    gdltest::TempDir dir;
    const std::string program = gdltest::KitBin() + "lynxsim";
    auto version = gdltest::RunProgram({program, "--version"}, dir.Folder());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("lynxsim ") + GDLKIT_PROJECT_VERSION + "\n");
    auto help = gdltest::RunProgram({program, "--help"}, dir.Folder());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--answer-delay MS"), std::string::npos);
    const std::vector<std::vector<std::string>> bad = {
        {"--frobnicate"},      {"--baud"},
        {"--baud", "fast"},    {"--answer-bytes", "-1"},
        {"--script", "dance"}, {"--device", "/dev/null", "--baud", "12345"},
    };
    for (auto args : bad) {
        args.insert(args.begin(), program);
        auto result = gdltest::RunProgram(args, dir.Folder());
        EXPECT_EQ(result.status, 2) << args[1];
        EXPECT_NE(result.err.find("Usage: lynxsim"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    auto missing = gdltest::RunProgram({program, "--device", dir.Path("none")}, dir.Folder());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(dir.Path("none")), std::string::npos);
}

}  // namespace
