#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "ZcommFixtures.h"

namespace fs = std::filesystem;
using gdltest::Bytes;
using gdltest::PostQueue;
using gdltest::PtyPair;

namespace {

// A component over a fresh pty with the link's settings, its events counted.
struct Line {
    PtyPair pty;
    PostQueue events;
    gdl::TZComm comm{events.Poster()};
    int notifications = 0;
    std::vector<std::thread::id> handlerThreads;
    std::vector<std::pair<int, std::string>> errors;
    Bytes received;

    explicit Line(bool readInHandler = true) {
        gdltest::UseLinkSettings(comm, pty.Path());
        comm.OnDataAvailable = [this, readInHandler](gdl::TZComm* sender) {
            ++notifications;
            handlerThreads.push_back(std::this_thread::get_id());
            if (!readInHandler) return;
            unsigned char buffer[64];
            long n = sender->ReadComm(buffer, sizeof buffer);
            received.insert(received.end(), buffer, buffer + n);
        };
        comm.OnErrorOccurred = [this](gdl::TZComm*, int error, const std::string& text) {
            errors.emplace_back(error, text);
        };
    }
    bool PumpUntilReceived(std::size_t count) {
        return events.PumpUntil([&] { return received.size() >= count; });
    }
};

TEST(TZComm, StartsWithTheDesignDefaults) {
    gdl::TZComm comm{nullptr};
    EXPECT_EQ(comm.State(), 2);
    EXPECT_EQ(comm.Version(), "1.0.1");
    comm.SetVersion("9.9");
    EXPECT_EQ(comm.Version(), "1.0.1");
    EXPECT_EQ(comm.Connected(), 0);
    EXPECT_EQ(comm.BaudRate, 9600u);
    EXPECT_EQ(comm.DataBits, gdl::databits8);
    EXPECT_TRUE(comm.XOuputFlowCtl && comm.XInputFlowCtl && comm.EnableParity && comm.AbortOnError);
    EXPECT_EQ(comm.ErrorChar, '~');
    EXPECT_EQ(comm.TimeoutReadInterval, 0xFFFFFFFFu);
    EXPECT_EQ(comm.TimeoutWriteConstant, 5000u);
}

TEST(TZComm, OpeningWhatIsNoSerialDeviceFailsAndHoldsNothing) {
    gdltest::TempDir dir;
    dir.Write("file", "not a tty");
    dir.MakeFolder("folder");
    // A listening socket, as a name in the folder.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string sockPath = dir.Path("socket");
    ASSERT_LT(sockPath.size(), sizeof address.sun_path);
    std::copy(sockPath.begin(), sockPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::size_t fds = gdltest::OpenFds(), threads = gdltest::Threads();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.Path("missing"), "There is no device"},
        {dir.Path("file"), "is not a serial device"},
        {dir.Path("folder"), "is not a serial device"},
        {sockPath, "is not a serial device"},
        {"/dev/tty", "is not a serial device"},
        {"", "No port is chosen"},
    };
    for (const auto& [port, why] : cases) {
        gdl::TZComm comm{nullptr};
        comm.Port = port;
        EXPECT_FALSE(comm.OpenConnection()) << port;
        EXPECT_EQ(comm.Connected(), 0);
        EXPECT_NE(comm.LastError().find(why), std::string::npos) << comm.LastError();
        EXPECT_EQ(gdltest::Threads(), threads);
        EXPECT_FALSE(comm.WriteCommByte(1));
        EXPECT_EQ(comm.ReadComm(nullptr, 0), 0);
    }
    EXPECT_EQ(gdltest::OpenFds(), fds);
    ::close(sock);
}

TEST(TZComm, PermissionTextNamesTheDevicesGroup) {
    gdltest::TempDir dir;
    dir.Write("ttyUSB0", "");
    struct stat st {};
    ASSERT_EQ(::stat(dir.Path("ttyUSB0").c_str(), &st), 0);
    std::string text = gdl::OpenErrorText(EACCES, dir.Path("ttyUSB0"));
    EXPECT_NE(text.find("Permission denied on"), std::string::npos) << text;
    EXPECT_NE(text.find(st.st_gid == 0 ? "group root" : "group "), std::string::npos) << text;
    EXPECT_NE(gdl::OpenErrorText(EBUSY, "/dev/ttyS0").find("is busy"), std::string::npos);
}

TEST(TZComm, SettingsReachThePseudoTerminal) {
    Line line;
    ASSERT_TRUE(line.comm.OpenConnection()) << line.comm.LastError();
    EXPECT_EQ(line.comm.Connected(), 1);
    EXPECT_EQ(line.comm.DevicePath(), line.pty.Path());
    EXPECT_EQ(line.comm.LastError(), "");
    termios tio{};
    ASSERT_EQ(::tcgetattr(line.pty.Slave(), &tio), 0);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (INPCK | PARMRK | IGNPAR | ICRNL | IXON | IXOFF), INPCK | PARMRK);
    EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(::cfgetospeed(&tio), B9600);

    ASSERT_TRUE(line.comm.SetFlowCtl(1));
    ASSERT_EQ(::tcgetattr(line.pty.Slave(), &tio), 0);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), IXON | IXOFF);
    EXPECT_FALSE(line.comm.XOuputFlowCtl);
    ASSERT_TRUE(line.comm.SetFlowCtl(2));
    ASSERT_EQ(::tcgetattr(line.pty.Slave(), &tio), 0);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);

    line.comm.TimeoutWriteMultiplier = 7;
    ASSERT_TRUE(line.comm.GetTimeouts());
    EXPECT_EQ(line.comm.TimeoutWriteMultiplier, 0u);  // the port keeps what open handed it
    EXPECT_EQ(line.comm.TimeoutReadConstant, 5000u);
}

TEST(ComputeLineSettings, RefusesWhatLinuxCannotGiveWithAReason) {
    const std::vector<std::pair<std::function<void(gdl::TZComm&)>, std::string>> cases = {
        {[](gdl::TZComm& c) { c.DataBits = gdl::databits4; }, "4 data bits"},
        {[](gdl::TZComm& c) { c.StopBits = gdl::stop1x5; }, "1.5 stop bits"},
        {[](gdl::TZComm& c) { c.DSRFlowCtl = true; }, "DSR output handshake"},
        {[](gdl::TZComm& c) { c.BaudRate = 12345; }, "baud rate 12345"},
        {[](gdl::TZComm& c) { c.BaudRate = 0; }, "baud rate 0"},
    };
    for (const auto& [change, why] : cases) {
        gdl::TZComm pure{nullptr};
        change(pure);
        auto refused = gdl::CheckLineSettings(pure.Settings());
        ASSERT_FALSE(refused) << why;
        EXPECT_EQ(refused.Err().Kind(), gdl::ErrorKind::Unsupported);
        EXPECT_NE(refused.Err().Message().find(why), std::string::npos) << why;

        Line line;
        ASSERT_TRUE(line.comm.OpenConnection());
        change(line.comm);
        EXPECT_FALSE(line.comm.SetConnection());
        EXPECT_NE(line.comm.LastError().find(why), std::string::npos) << line.comm.LastError();
        line.comm.CloseConnection();
        const std::size_t threads = gdltest::Threads();
        EXPECT_FALSE(line.comm.OpenConnection());
        EXPECT_EQ(line.comm.Connected(), 0);
        EXPECT_EQ(gdltest::Threads(), threads);
    }
}

TEST(TZComm, ASecondOpenOfTheSameDeviceIsRefused) {
    Line line;
    ASSERT_TRUE(line.comm.OpenConnection());
    gdl::TZComm second{nullptr};
    second.Port = line.pty.Path();
    EXPECT_FALSE(second.OpenConnection());
    EXPECT_NE(second.LastError().find("busy"), std::string::npos) << second.LastError();
    EXPECT_FALSE(line.comm.OpenConnection());
    EXPECT_EQ(line.comm.Connected(), 1);
    line.comm.CloseConnection();
    EXPECT_TRUE(second.OpenConnection()) << second.LastError();
}

TEST(TZComm, BytesPassUnchangedBothWaysAndInOrder) {
    const Bytes special = {0x0A, 0x0D, 0x11, 0x13, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x0A};
    for (bool parityChecking : {true, false}) {
        Line line;
        line.comm.EnableParity = parityChecking;
        ASSERT_TRUE(line.comm.OpenConnection());
        Bytes header(36);
        for (std::size_t i = 0; i < header.size(); ++i)
            header[i] = static_cast<unsigned char>(i * 7);
        EXPECT_TRUE(line.comm.WriteComm(header.data(), 36));
        EXPECT_EQ(line.pty.Receive(36), header);
        EXPECT_TRUE(line.comm.WriteComm(special.data(), static_cast<long>(special.size())));
        EXPECT_TRUE(gdltest::WaitWritten(line.comm, line.events));
        EXPECT_EQ(line.pty.Receive(special.size()), special);

        line.pty.Send(special);
        ASSERT_TRUE(line.PumpUntilReceived(special.size())) << parityChecking;
        EXPECT_EQ(line.received, special);
        EXPECT_TRUE(line.errors.empty());
    }
}

TEST(TZComm, TextGoesOutWholeAndComesInUpToItsFirstNul) {
    Line line(false);
    ASSERT_TRUE(line.comm.OpenConnection());
    line.comm.SetText("AB\nC");
    EXPECT_EQ(line.pty.Receive(4), (Bytes{'A', 'B', '\n', 'C'}));
    line.pty.Send({'x', 'y', 0, 'z'});
    ASSERT_TRUE(line.events.PumpUntil([&] { return line.notifications > 0; }));
    EXPECT_EQ(line.comm.GetText(), "xy");
    EXPECT_EQ(line.comm.GetText(), "");
}

TEST(TZComm, ReadCommTakesWhatWaitsAndNeverWaits) {
    Line line(false);
    ASSERT_TRUE(line.comm.OpenConnection());
    unsigned char buffer[16];
    EXPECT_EQ(line.comm.ReadComm(buffer, 6), 0);
    line.pty.Send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    ASSERT_TRUE(line.events.PumpUntil([&] { return line.notifications > 0; }));
    EXPECT_EQ(line.comm.ReadComm(buffer, 6), 6);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(line.comm.ReadComm(buffer, 6), 4);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{7, 8, 9, 10}));
    EXPECT_EQ(line.comm.ReadComm(buffer, 6), 0);

    line.pty.Send({11, 12});
    ASSERT_TRUE(line.events.PumpUntil([&] { return line.notifications > 1; }));
    EXPECT_TRUE(line.comm.PurgeCommPort(gdl::kPurgeRxAbort | gdl::kPurgeRxClear));
    EXPECT_EQ(line.comm.ReadComm(buffer, 6), 0);
    EXPECT_FALSE(line.comm.PurgeCommPort(0x10));
}

TEST(TZComm, OneNotificationPerArrivalOnTheOwnersThread) {
    Line line;
    ASSERT_TRUE(line.comm.OpenConnection());
    for (unsigned char i = 1; i <= 5; ++i) {
        line.pty.Send({i});
        ASSERT_TRUE(line.PumpUntilReceived(i));
    }
    // Notifications keep their order: once the sixth is handled, every
    // earlier one has been, and none was doubled.
    line.pty.Send({6});
    ASSERT_TRUE(line.PumpUntilReceived(6));
    EXPECT_EQ(line.notifications, 6);
    EXPECT_EQ(line.received, (Bytes{1, 2, 3, 4, 5, 6}));
    for (auto id : line.handlerThreads) EXPECT_EQ(id, std::this_thread::get_id());
    for (auto id : line.events.PosterThreads()) EXPECT_NE(id, std::this_thread::get_id());
}

TEST(TZComm, NoNotificationFromAnEarlierConnection) {
    for (bool reopen : {false, true}) {
        Line line;
        ASSERT_TRUE(line.comm.OpenConnection());
        line.pty.Send({0x42});
        ASSERT_TRUE(line.events.WaitPosted());
        line.comm.CloseConnection();
        if (reopen) {
            ASSERT_TRUE(line.comm.OpenConnection());
        }
        line.events.PumpQueued();
        EXPECT_EQ(line.notifications, 0) << reopen;
        EXPECT_EQ(line.comm.MessageCOMM(), reopen ? 1 : 0);
    }
}

TEST(TZComm, NotificationsQueuedPastTheComponentsEndDoNothing) {
    PostQueue events;
    PtyPair pty;
    {
        gdl::TZComm comm{events.Poster()};
        comm.Port = pty.Path();
        ASSERT_TRUE(comm.OpenConnection());
        pty.Send({1});
        ASSERT_TRUE(events.WaitPosted());
    }
    events.PumpQueued();
}

TEST(TZComm, AThousandOpensAndClosesLeaveNothingBehind) {
    PtyPair pty;
    const std::size_t fds = gdltest::OpenFds(), threads = gdltest::Threads();
    PostQueue events;
    gdl::TZComm comm{events.Poster()};
    gdltest::UseLinkSettings(comm, pty.Path());
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(comm.OpenConnection()) << i << " " << comm.LastError();
        ASSERT_TRUE(comm.CloseConnection());
    }
    EXPECT_EQ(gdltest::OpenFds(), fds);
    EXPECT_EQ(gdltest::Threads(), threads);
    {
        gdl::TZComm dropped{nullptr};
        dropped.Port = pty.Path();
        ASSERT_TRUE(dropped.OpenConnection());
    }
    EXPECT_EQ(gdltest::OpenFds(), fds);
    EXPECT_EQ(gdltest::Threads(), threads);
}

TEST(TZComm, AVanishedDeviceIsReportedOnceAndWritesFailAtOnce) {
    Line line;
    const std::size_t threads = gdltest::Threads();
    ASSERT_TRUE(line.comm.OpenConnection());
    line.pty.CloseMaster();
    ASSERT_TRUE(line.events.PumpUntil([&] { return !line.errors.empty(); }));
    EXPECT_EQ(line.errors,
              (std::vector<std::pair<int, std::string>>{{gdl::kCeIoe, "Device Removed"}}));
    EXPECT_TRUE(line.comm.Vanished());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(line.comm.WriteCommByte(0xA5));
    EXPECT_FALSE(line.comm.WriteComm(Bytes(36).data(), 36));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_TRUE(line.comm.CloseConnection());
    EXPECT_EQ(gdltest::Threads(), threads);
    line.events.PumpQueued();
    EXPECT_EQ(line.errors.size(), 1u);
}

TEST(TZComm, ALineErrorIsReportedOnceAtTheNextRead) {
    Line line;
    line.comm.AbortOnError = true;
    ASSERT_TRUE(line.comm.OpenConnection());
    const Bytes marked = {0x41, 0xFF, 0x00, 0x42, 0x43};
    line.comm.ReceiveFromPort(marked.data(), marked.size());
    EXPECT_FALSE(line.comm.WriteCommByte(1));  // AbortOnError holds writes until it is read
    ASSERT_TRUE(line.PumpUntilReceived(3));
    EXPECT_EQ(line.received, (Bytes{0x41, 0x42, 0x43}));
    EXPECT_EQ(line.errors,
              (std::vector<std::pair<int, std::string>>{{gdl::kCeRxParity, "Read Error"}}));
    EXPECT_TRUE(line.comm.WriteCommByte(1));
    line.pty.Send({0x44});
    ASSERT_TRUE(line.PumpUntilReceived(4));
    EXPECT_EQ(line.errors.size(), 1u);
}

}  // namespace
