// The reason a port will not open, as the user reads it: refused permission
// with the device's group and the command that fixes it, the program that
// holds the device, and the devices there are when the one named is missing.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "FakeSerialMachine.h"
#include "FileUtil.h"
#include "SerialPreflight.h"
#include "TempDir.h"
#include "TextUtil.h"
#include "ZcommFixtures.h"

namespace {

namespace fs = std::filesystem;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

using gdltest::FakeMachine;

TEST(SerialPreflight, PermissionAdviceFollowsTheDeviceAndTheUsersGroups) {
    constexpr gid_t kDialout = 20, kUsers = 100;
    struct Case {
        const char* what;
        unsigned mode;
        gid_t group;
        std::vector<gid_t> session, account;
        std::vector<std::string> says;
    };
    const Case cases[] = {
        {"not in the group",
         0660,
         kDialout,
         {kUsers},
         {kUsers},
         {"group dialout", "rw-rw----", "sudo usermod -aG dialout $USER", "log out and in again"}},
        {"joined, session older",
         0660,
         kDialout,
         {kUsers},
         {kUsers, kDialout},
         {"already", "log out and in again", "newgrp dialout"}},
        {"in the group yet refused", 0660, kDialout, {kUsers, kDialout}, {kDialout}, {"getfacl"}},
        {"group may not use it", 0600, kDialout, {kUsers}, {kUsers}, {"udev", "MODE=\"0660\""}},
        {"root's group", 0660, 0, {kUsers}, {kUsers}, {"udev", "GROUP=\"dialout\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gdl::AccessFacts facts{
            "/dev/ttyUSB0", c.mode,    0,        c.group, c.group ? "dialout" : "root",
            1000,           c.session, c.account};
        const std::string text = gdl::PermissionAdvice(facts);
        EXPECT_THAT(text, HasSubstr("Permission denied on /dev/ttyUSB0"));
        for (const auto& s : c.says) EXPECT_THAT(text, HasSubstr(s));
    }
}

// A real refusal: the port opened as a user who may not.
TEST(SerialPreflight, RefusedOpenNamesTheGroupAndTheFix) {
    gdltest::PtyPair pty;
    ASSERT_FALSE(pty.Path().empty());
    const bool root = ::geteuid() == 0;
    const group* dialout = ::getgrnam("dialout");
    const passwd* nobody = ::getpwnam("nobody");
    if (root && (!dialout || !nobody)) GTEST_SKIP() << "no dialout group or nobody user";
    const gid_t dialoutGid = root ? dialout->gr_gid : 0;
    if (root) {
        ASSERT_EQ(::chown(pty.Path().c_str(), 0, dialoutGid), 0);
        ASSERT_EQ(::chmod(pty.Path().c_str(), 0660), 0);
    } else {
        ASSERT_EQ(::chmod(pty.Path().c_str(), 0), 0);
    }
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (root) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                ::setuid(nobody->pw_uid) != 0)
                ::_exit(3);
        }
        gdl::TZComm comm{nullptr};
        comm.Port = pty.Path();
        const bool opened = comm.OpenConnection();
        const std::string why = comm.LastError();
        if (::write(out[1], why.data(), why.size()) < 0) ::_exit(4);
        ::_exit(opened ? 1 : 0);
    }
    ::close(out[1]);
    const auto bytes = gdltest::PtyPair::ReadFor(out[0], 4096, gdltest::kPatience);
    ::close(out[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the port opened, or the child could not become nobody";
    const std::string why(bytes.begin(), bytes.end());
    EXPECT_THAT(why, HasSubstr("Permission denied on " + pty.Path()));
    if (root) {
        EXPECT_THAT(why, HasSubstr("group dialout"));
        EXPECT_THAT(why, HasSubstr("sudo usermod -aG dialout $USER, then log out and in again"));
    } else {
        EXPECT_THAT(why, HasSubstr("udev"));
    }
}

// Another process of the test holds the pty (locked, as the player locks its
// port): the reason names it by command name and process id.
TEST(SerialPreflight, BusyPortNamesTheProcessThatHoldsIt) {
    gdltest::PtyPair pty;
    ASSERT_FALSE(pty.Path().empty());
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) ::_exit(1);
        char go = 'h';
        if (::write(ready[1], &go, 1) != 1) ::_exit(1);
        const ssize_t released = ::read(release[0], &go, 1);  // until the test closes its end
        ::_exit(released < 0 ? 1 : 0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    const auto held = gdltest::PtyPair::ReadFor(ready[0], 1, gdltest::kPatience);
    ASSERT_EQ(held.size(), 1u) << "the child could not lock the pty";
    const std::string name = gdl::TrimBlanks(
        gdl::ReadFileBytes("/proc/" + std::to_string(child) + "/comm").value_or("?"));

    gdl::TZComm comm{nullptr};
    comm.Port = pty.Path();
    EXPECT_FALSE(comm.OpenConnection());
    EXPECT_THAT(comm.LastError(),
                AllOf(HasSubstr(pty.Path() + " is busy: "),
                      HasSubstr(name + " (process " + std::to_string(child) + ") has it open"),
                      HasSubstr("kill " + std::to_string(child))));
    // The test's own hold on the pty is not another program's.
    EXPECT_THAT(comm.LastError(), Not(HasSubstr("(process " + std::to_string(::getpid()))));

    ::close(release[1]);
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
}

TEST(SerialPreflight, KnownHoldersGetTheirKnownFix) {
    FakeMachine m;
    m.Tty("ttyACM0", "cdc_acm", "2341:0043");
    m.Tty("ttyUSB0", "ch341-uart", "1a86:7523");
    struct Case {
        std::string holder, device;
        std::vector<std::string> says;
    };
    const Case cases[] = {
        {"ModemManager",
         "ttyACM0",
         {"ModemManager (process 4242) has it open", "systemctl stop ModemManager",
          "ATTRS{idVendor}==\"2341\", ATTRS{idProduct}==\"0043\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""}},
        {"brltty", "ttyUSB0", {"brltty (process 4242) has it open", "sudo apt remove brltty"}},
        {"minicom", "ttyUSB0", {"minicom (process 4242) has it open", "kill 4242"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.holder);
        fs::remove_all(m.dir.Path("proc/4242"));
        const std::string device = m.roots.dev + "/" + c.device;
        m.Process(4242, c.holder, device);
        m.Process(4243, "bash");
        const std::string text = gdl::ExplainOpenFailure(EBUSY, device, m.roots);
        for (const auto& s : c.says) EXPECT_THAT(text, HasSubstr(s));
        EXPECT_THAT(text, Not(HasSubstr("bash")));
    }
    // Holders this user cannot see: a running suspect is named as likely.
    fs::remove_all(m.dir.Path("proc/4242"));
    EXPECT_THAT(
        gdl::ExplainOpenFailure(EWOULDBLOCK, m.roots.dev + "/ttyUSB0", m.roots),
        AllOf(HasSubstr("sudo fuser -v " + m.roots.dev + "/ttyUSB0"), Not(HasSubstr("likely"))));
    m.Process(4242, "ModemManager");
    EXPECT_THAT(gdl::ExplainOpenFailure(EBUSY, m.roots.dev + "/ttyACM0", m.roots),
                AllOf(HasSubstr("It is likely ModemManager (process 4242)"),
                      HasSubstr("ENV{ID_MM_DEVICE_IGNORE}")));
    EXPECT_THAT(gdl::ExplainOpenFailure(EBUSY, m.roots.dev + "/ttyUSB0", m.roots),
                Not(HasSubstr("likely")));
}

TEST(SerialPreflight, MissingDeviceListsTheDevicesThereAre) {
    FakeMachine m;
    EXPECT_EQ(gdl::ExplainNoDevice("Com3", m.roots),
              "No USB serial adapter found for Com3. No serial device is plugged in: connect the "
              "Lynx cable's USB serial adapter.");
    EXPECT_TRUE(gdl::ListSerialDevices(m.roots).empty());

    m.Tty("ttyUSB0", "ftdi_sio", "0403:6001");
    m.Tty("ttyS0", "serial8250", {}, "4");
    // The serial core's own port device between the tty and the chip's driver.
    const std::string port = "sys/devices/platform/ttyS0/port";
    m.dir.MakeFolder(port);
    m.dir.MakeFolder("sys/bus/serial-base/drivers/port");
    fs::create_directory_symlink(m.dir.Path("sys/bus/serial-base/drivers/port"),
                                 m.dir.Path(port + "/driver"));
    fs::remove(m.dir.Path("sys/class/tty/ttyS0/device"));
    fs::create_directory_symlink(m.dir.Path(port), m.dir.Path("sys/class/tty/ttyS0/device"));
    m.Tty("ttyS1", "serial8250", {}, "0");   // reserved, no chip
    m.dir.MakeFolder("sys/class/tty/tty0");  // a console: no device
    fs::create_symlink("../../ttyUSB0",
                       m.dir.Path("dev/serial/by-id/usb-FTDI_Lynx_cable-if00-port0"));
    const auto devices = gdl::ListSerialDevices(m.roots);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].device, m.roots.dev + "/ttyS0");
    EXPECT_EQ(devices[0].driver, "serial8250");
    EXPECT_EQ(devices[0].byId, "");
    EXPECT_EQ(devices[1].device, m.roots.dev + "/ttyUSB0");
    EXPECT_EQ(devices[1].driver, "ftdi_sio");
    EXPECT_EQ(devices[1].byId, m.roots.dev + "/serial/by-id/usb-FTDI_Lynx_cable-if00-port0");
    EXPECT_TRUE(devices[1].mayOpen);
    EXPECT_FALSE(devices[1].group.empty());

    const std::string missing = gdl::ExplainOpenFailure(ENOENT, m.roots.dev + "/ttyUSB9", m.roots);
    EXPECT_THAT(missing, HasSubstr("There is no device " + m.roots.dev + "/ttyUSB9."));
    EXPECT_THAT(missing, HasSubstr("Serial devices here: " + m.roots.dev + "/ttyS0 (serial8250, "));
    EXPECT_THAT(missing, HasSubstr(m.roots.dev + "/ttyUSB0 (ftdi_sio, "));
    EXPECT_THAT(gdl::ExplainNoDevice("Com3", m.roots),
                AllOf(HasSubstr("No serial device was found for Com3."),
                      HasSubstr("Options > Choose Device... in GDLPlay (or gdltools port Com3 "
                                "DEVICE) makes Com3 open one of them.")));

    // A CH340 whose tty brltty took: only the USB device is left.
    m.dir.MakeFolder("sys/bus/usb/devices/1-9");
    m.dir.Write("sys/bus/usb/devices/1-9/idVendor", "1a86\n");
    m.dir.Write("sys/bus/usb/devices/1-9/idProduct", "7523\n");
    EXPECT_THAT(gdl::ExplainNoDevice("Com1", m.roots), Not(HasSubstr("brltty")));
    m.Process(777, "brltty");
    EXPECT_THAT(gdl::ExplainNoDevice("Com1", m.roots),
                AllOf(HasSubstr("CH340"), HasSubstr("brltty (process 777)"),
                      HasSubstr("sudo apt remove brltty")));
}

// Several programs on one port: each named once, newest first, and one
// "Close ..., or end ..." for all of them; a known one keeps its own fix.
TEST(SerialPreflight, SeveralHoldersAreOneListAndOneAdvice) {
    FakeMachine m;
    m.Tty("ttyUSB0", "ftdi_sio", "0403:6001");
    const std::string device = m.roots.dev + "/ttyUSB0";
    m.Process(4100, "lynxsim", device);
    m.Process(4300, "minicom", device);
    m.Process(4200, "screen", device);
    const std::string text = gdl::ExplainOpenFailure(EBUSY, device, m.roots);
    EXPECT_THAT(text, HasSubstr(device + " is busy: minicom (process 4300), screen (process "
                                         "4200), lynxsim (process 4100) have it open."));
    EXPECT_THAT(text,
                testing::EndsWith(" Close those programs, or end them: kill 4300 4200 4100."));
    std::size_t closes = 0;
    for (auto at = text.find("Close"); at != std::string::npos; at = text.find("Close", at + 1))
        ++closes;
    EXPECT_EQ(closes, 1u) << text;

    m.Process(4400, "ModemManager", device);
    EXPECT_THAT(gdl::ExplainOpenFailure(EBUSY, device, m.roots),
                AllOf(HasSubstr("ModemManager (process 4400), minicom"),
                      HasSubstr("systemctl stop ModemManager"),
                      HasSubstr("Close those programs, or end them: kill 4300 4200 4100.")));
}

// Without any USB adapter the PC's own ports are listed, never taken.
TEST(SerialPreflight, NoUsbAdapterIsSaidSo) {
    FakeMachine m;
    m.Tty("ttyS0", "serial8250", {}, "4");
    m.Tty("ttyS4", "serial8250", {}, "4");
    const std::string text = gdl::ExplainNoDevice("Com1", m.roots);
    EXPECT_THAT(text, testing::StartsWith("No USB serial adapter found for Com1. Serial devices "
                                          "here: " +
                                          m.roots.dev + "/ttyS0 (serial8250, "));
    EXPECT_THAT(text, HasSubstr("Choose Device..."));
}

}  // namespace
