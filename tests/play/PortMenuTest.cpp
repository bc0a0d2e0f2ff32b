// The player's port as the user meets it: where each Com item goes, Choose
// Device, the whole reason behind a port that will not open, no silent use of
// the PC's own serial port, adapters coming and going, and the lamp while a
// level is in play. Devices are a fake machine's; the line is a fake one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeSerialMachine.h"
#include "PlayerFixtures.h"
#include "PortMenu.h"
#include "PortNames.h"
#include "Registry.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::StartsWith;

constexpr char kCable[] = "usb-FTDI_Lynx_cable-if00-port0";

void PlugCable(gdltest::FakeMachine& m) {
    m.Tty("ttyUSB0", "ftdi_sio", "0403:6001");
    fs::create_symlink("../../ttyUSB0", m.dir.Path(std::string("dev/serial/by-id/") + kCable));
}

void PullCable(gdltest::FakeMachine& m) {
    fs::remove(m.dir.Path(std::string("dev/serial/by-id/") + kCable));
    fs::remove(m.dir.Path("dev/ttyUSB0"));
    fs::remove_all(m.dir.Path("sys/class/tty/ttyUSB0"));
}

std::vector<std::string> Captions(const PlayerView& v) {
    return {v.Com11.caption, v.Com21.caption, v.Com31.caption, v.Com41.caption};
}

TEST(PortMenu, EachComSaysWhereItGoes) {
    gdltest::FakeMachine m;
    MemoryRegistry registry;
    PlugCable(m);
    m.Tty("ttyS0", "serial8250", {}, "4");
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com3", m.roots.dev + "/ttyS0");
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com4", m.roots.dev + "/ttyUSB7");
    PortMenu menu(registry, m.roots);
    PlayerView v;
    EXPECT_TRUE(menu.Refresh(v));
    EXPECT_THAT(Captions(v),
                testing::ElementsAre(std::string("Com&1  (") + kCable + ")", "Com&2  (not present)",
                                     "Com&3  (" + m.roots.dev + "/ttyS0)", "Com&4  (not present)"));
    EXPECT_FALSE(menu.Refresh(v)) << "nothing changed";
    EXPECT_EQ(menu.DeviceOf(1), m.roots.dev + "/serial/by-id/" + kCable);

    ASSERT_EQ(menu.Devices().size(), 2u);
    EXPECT_THAT(DeviceLine(menu.Devices()[1]),
                StartsWith(std::string(kCable) + "  " + m.roots.dev + "/ttyUSB0  ftdi_sio  "));
    EXPECT_THAT(DeviceLine(menu.Devices()[0]), StartsWith(m.roots.dev + "/ttyS0  serial8250  "));
}

// The PC's own port is never a silent default: only when chosen, or when it
// is the only serial device and nothing was chosen.
TEST(PortMenu, ThePcsOwnPortOnlyWhenChosenOrAlone) {
    gdltest::FakeMachine m;
    MemoryRegistry registry;
    PortMenu menu(registry, m.roots);
    PlayerView v;
    m.Tty("ttyS0", "serial8250", {}, "4");
    m.Tty("ttyS1", "serial8250", {}, "0");  // reserved: no chip behind it
    menu.Refresh(v);
    EXPECT_EQ(v.Com11.caption, "Com&1  (" + m.roots.dev + "/ttyS0)");

    m.Tty("ttyS2", "serial8250", {}, "4");
    menu.Refresh(v);
    EXPECT_EQ(v.Com11.caption, "Com&1  (not present)");
    EXPECT_THAT(menu.ReasonNow(1), StartsWith("No USB serial adapter found for Com1. "));
    EXPECT_THAT(menu.ReasonNow(1), HasSubstr("Choose Device..."));

    menu.Choose(1, menu.Devices()[1]);
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com1").value_or(""),
              m.roots.dev + "/ttyS2");
    menu.Refresh(v);
    EXPECT_EQ(v.Com11.caption, "Com&1  (" + m.roots.dev + "/ttyS2)");
    EXPECT_EQ(menu.ReasonNow(1), "");
}

class PortRoad : public gdltest::PlayerFixture {
protected:
    // The port is opened at start-up: it is refused from then on.
    void TryToSend() {
        line.refuseOpen = true;
        line.openError = "No USB serial adapter found for Com1. No serial device is plugged in.";
        Start({WriteSet(gdltest::NumberedLevels(2))});
        window->SpeedButton1Click();
        ASSERT_EQ(View().Panel14.text, " Unable to open Com1!");
    }
};

TEST_F(PortRoad, AClickOnTheStatusLineShowsTheWholeReason) {
    Start({WriteSet(gdltest::NumberedLevels(1))});
    window->Panel14Click();
    EXPECT_TRUE(dialogs.reasons.empty()) << "no reason, no dialog";
    line.refuseOpen = true;
    window->Com11Click();  // opened again, and refused
    line.openError =
        "Permission denied on /dev/ttyUSB0 (owner root, group dialout, rw-rw----). "
        "Join the group dialout that may use it: sudo usermod -aG dialout $USER, "
        "then log out and in again.";
    window->SpeedButton1Click();
    EXPECT_EQ(View().Panel14.text, " Unable to open Com1!");
    EXPECT_EQ(View().iStat, Lamp::Err);
    EXPECT_EQ(View().Panel14Hint, line.openError);  // the tooltip stays
    window->Panel14Click();
    ASSERT_EQ(dialogs.reasons.size(), 1u);
    EXPECT_EQ(dialogs.reasons[0].caption, "Com1");
    EXPECT_EQ(dialogs.reasons[0].status, "Unable to open Com1!");
    EXPECT_EQ(dialogs.reasons[0].reason, line.openError);
}

TEST_F(PortRoad, AnAdapterPluggedInAndPulledOutIsNoticed) {
    TryToSend();
    EXPECT_EQ(View().Com11.caption, "Com&1  (not present)");
    const std::string before = View().Panel14Hint;

    PlugCable(machine);
    window->DevicesChanged();
    EXPECT_EQ(View().Com11.caption, std::string("Com&1  (") + kCable + ")");
    EXPECT_EQ(View().Panel14Hint,
              std::string("Com1 is now ") + kCable + ": press PLAY to send the level.");
    EXPECT_EQ(View().Panel14.text, " Unable to open Com1!") << "the status stays the design's";

    PullCable(machine);
    window->DevicesChanged();
    EXPECT_EQ(View().Com11.caption, "Com&1  (not present)");
    EXPECT_THAT(View().Panel14Hint, StartsWith("No USB serial adapter found for Com1."));
    EXPECT_NE(View().Panel14Hint, before);
}

TEST_F(PortRoad, ChooseDeviceSetsTheChosenComToIt) {
    TryToSend();
    PlugCable(machine);
    machine.Tty("ttyACM0", "cdc_acm", "2341:0043");
    dialogs.deviceAnswers.push_back(PlayerDialogs::DeviceChoice{3, 1});
    window->ChooseDevice1Click();
    ASSERT_EQ(dialogs.deviceLists.size(), 1u);
    EXPECT_EQ(dialogs.deviceLists[0].port, 1);
    ASSERT_EQ(dialogs.deviceLists[0].lines.size(), 2u);
    EXPECT_THAT(dialogs.deviceLists[0].lines[0],
                StartsWith(machine.roots.dev + "/ttyACM0  cdc_acm"));
    EXPECT_THAT(dialogs.deviceLists[0].lines[1], StartsWith(kCable));
    EXPECT_EQ(registry->ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com3").value_or(""),
              machine.roots.dev + "/serial/by-id/" + kCable);
    EXPECT_EQ(registry->ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, kRegValuePort).value_or(""),
              "2");
    EXPECT_TRUE(View().Com31.checked);
    EXPECT_EQ(View().Com31.caption, std::string("Com&3  (") + kCable + ")");
    EXPECT_EQ(line.Port(), "Com3");

    // Cancel changes nothing.
    window->ChooseDevice1Click();
    EXPECT_TRUE(View().Com31.checked);
    EXPECT_EQ(dialogs.deviceLists.back().port, 3);
}

TEST_F(PortRoad, TheLampShowsTheLevelInPlayUntilTheNextSend) {
    Start({WriteSet(gdltest::NumberedLevels(3))});
    window->SpeedButton1Click();
    EXPECT_EQ(View().iStat, Lamp::On);
    EXPECT_EQ(View().iStatHint, "");
    Answer();
    EXPECT_EQ(View().Panel14.text, "") << "the design's status line stays blank";
    EXPECT_EQ(View().iStat, Lamp::InPlay);
    EXPECT_EQ(View().iStatHint, "Level 1 is in play on the Lynx");
    Silence();  // later ticks keep it
    EXPECT_EQ(View().iStat, Lamp::InPlay);

    window->SpeedButton2Click();  // NEXT: a new send
    EXPECT_EQ(View().iStat, Lamp::On);
    EXPECT_EQ(View().iStatHint, "");
    Answer();
    EXPECT_EQ(View().iStatHint, "Level 2 is in play on the Lynx");

    // A line error in play ends the state.
    window->zComErrorOccurred(1, "parity");
    EXPECT_NE(View().iStat, Lamp::InPlay);
    EXPECT_EQ(View().iStatHint, "");
}

}  // namespace
}  // namespace gdl
