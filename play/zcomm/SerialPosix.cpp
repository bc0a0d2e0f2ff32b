// How the component's Win32 calls map onto Linux:
// - CreateFile (read/write, no sharing): open O_RDWR|O_NOCTTY|O_CLOEXEC|O_NONBLOCK
//   (no controlling terminal; never blocks on DCD), refused unless isatty. "No
//   sharing" is flock(LOCK_EX|LOCK_NB), which also refuses a second open from
//   the same process, plus TIOCEXCL against programs that do not lock (root
//   passes TIOCEXCL; the lock still holds). Closing gives TIOCEXCL back, since
//   a pty whose other side stays open keeps it.
// - SetCommState: cfmakeraw (no output translation, no echo, no line editing,
//   no signals), so every byte passes unchanged both ways; CLOCAL since the
//   cable has no carrier line; HUPCL so DTR drops even if we die. Baud rates
//   are the standard Bxxx ones; 5-8 data bits; parity none/odd/even and
//   mark/space through CMSPAR; 1 or 2 stop bits. Parity checking is INPCK with
//   PARMRK (never IGNPAR): a bad byte arrives as FF 00 x, a break as FF 00 00
//   and a real FF as FF FF, decoded by the receive queue. CTS handshake is
//   CRTSCTS. XON/XOFF are IXON/IXOFF with VSTART/VSTOP. termios has no null
//   stripping, so the queue drops 0 bytes, and no error character, so the
//   queue puts ErrorChar in place of a bad byte when ErrorReplace is on. What
//   Linux cannot give makes SetConnection false with the reason: 4 data bits,
//   1.5 stop bits, the DSR output handshake, other baud rates. XOnLimit,
//   XOffLimit and TXResume have no termios counterpart and are kept only;
//   DSRSensitive is done by the watch thread (bytes read while DSR is low are
//   dropped).
// - EscapeCommFunction: TIOCMBIS/TIOCMBIC for DTR and RTS, TIOCSBRK/TIOCCBRK
//   for the break, tcflow for SETXOFF/SETXON. DTR is raised at open and
//   dropped at close; a pty has no modem lines, which is not an error there.
// - PurgeComm: tcflush of the side named, and the receive queue for input.
// - ClearCommError: the receive queue's error flags, filled from the marks and
//   from the driver's counters (TIOCGICOUNT; EINVAL/ENOTTY: it keeps none).
// - SetCommTimeouts: Linux has no port time-outs; the component keeps them and
//   bounds its waits by them (WaitSent uses the write time-outs).
// - WaitCommEvent(EV_RXCHAR): poll on the port and on the thread's eventfd.
// - ReadFile/WriteFile overlapped: non-blocking read/write; a write that finds
//   the kernel buffer full waits in poll(POLLOUT) for its limit. A write
//   returns when the byte is in the kernel, so WaitSent waits for TIOCOUTQ to
//   empty and then tcdrain, bounded by the write time-outs.
// - A vanished device: POLLHUP/POLLERR, read 0 or EIO/ENXIO; writes fail at once.
// - SetupComm: the receive queue's size; the kernel's own buffers are fixed.
// - FTDI adapters hold bytes up to 16 ms: ASYNC_LOW_LATENCY at open, if allowed.
#include "SerialPosix.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "SerialPreflight.h"
#include "Zcomm.h"

namespace gdl {

namespace {

using Clock = std::chrono::steady_clock;

// UNIX98 pty slaves (/dev/pts/N).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;
// How often a drain that someone watches says how far it is.
constexpr int kDrainReportMs = 50;

struct BaudEntry {
    std::uint32_t rate;
    speed_t speed;
};
constexpr std::array kBaudRates{
    BaudEntry{50, B50},           BaudEntry{75, B75},           BaudEntry{110, B110},
    BaudEntry{134, B134},         BaudEntry{150, B150},         BaudEntry{200, B200},
    BaudEntry{300, B300},         BaudEntry{600, B600},         BaudEntry{1200, B1200},
    BaudEntry{1800, B1800},       BaudEntry{2400, B2400},       BaudEntry{4800, B4800},
    BaudEntry{9600, B9600},       BaudEntry{19200, B19200},     BaudEntry{38400, B38400},
    BaudEntry{57600, B57600},     BaudEntry{115200, B115200},   BaudEntry{230400, B230400},
    BaudEntry{460800, B460800},   BaudEntry{500000, B500000},   BaudEntry{576000, B576000},
    BaudEntry{921600, B921600},   BaudEntry{1000000, B1000000}, BaudEntry{1152000, B1152000},
    BaudEntry{1500000, B1500000}, BaudEntry{2000000, B2000000}, BaudEntry{2500000, B2500000},
    BaudEntry{3000000, B3000000}, BaudEntry{3500000, B3500000}, BaudEntry{4000000, B4000000},
};

std::uint32_t RateOf(speed_t speed) {
    for (const auto& entry : kBaudRates) {
        if (entry.speed == speed) return entry.rate;
    }
    return 9600;
}

tcflag_t DataBitsFlag(TDataBits bits) {
    switch (bits) {
        case databits5:
            return CS5;
        case databits6:
            return CS6;
        case databits7:
            return CS7;
        default:
            return CS8;
    }
}

tcflag_t ParityFlags(TParity parity) {
    switch (parity) {
        case odd_parity:
            return PARENB | PARODD;
        case even_parity:
            return PARENB;
        case mark_parity:
            return PARENB | CMSPAR | PARODD;
        case space_parity:
            return PARENB | CMSPAR;
        default:
            return 0;
    }
}

std::string Unsupported(const TZComm& comm) {
    if (!BaudConstant(comm.BaudRate)) {
        return "The baud rate " + std::to_string(comm.BaudRate) + " is not available.";
    }
    if (comm.DataBits < databits5 || comm.DataBits > databits8) {
        return std::to_string(static_cast<int>(comm.DataBits) + 4) +
               " data bits are not available on Linux.";
    }
    if (comm.StopBits != stop1 && comm.StopBits != stop2) {
        return "1.5 stop bits are not available on Linux.";
    }
    if (comm.Parity < no_parity || comm.Parity > space_parity) return "Unknown parity.";
    if (comm.DSRFlowCtl) return "Linux has no DSR output handshake.";
    return {};
}

bool Gone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

// A socket, or the console devices (the controlling terminal /dev/tty,
// /dev/console, /dev/ptmx), may answer an open like a missing device or even
// open as a terminal; none of them is a serial line.
bool IsNoSerialLine(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    if (S_ISSOCK(st.st_mode)) return true;
    return S_ISCHR(st.st_mode) && ::major(st.st_rdev) == 5 && ::minor(st.st_rdev) <= 2;
}

int MsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
}

}  // namespace

std::optional<speed_t> BaudConstant(std::uint32_t rate) {
    for (const auto& entry : kBaudRates) {
        if (entry.rate == rate) return entry.speed;
    }
    return std::nullopt;
}

LineSettings ComputeLineSettings(const TZComm& comm, const termios& current) {
    LineSettings settings;
    settings.error = Unsupported(comm);
    if (!settings.error.empty()) return settings;
    termios& tio = settings.tio;
    tio = current;
    ::cfmakeraw(&tio);
    const speed_t speed = *BaudConstant(comm.BaudRate);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= DataBitsFlag(comm.DataBits) | ParityFlags(comm.Parity) | CLOCAL | CREAD | HUPCL;
    if (comm.StopBits == stop2) tio.c_cflag |= CSTOPB;
    if (comm.CTSFlowCtl) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(INPCK | PARMRK | IGNPAR | IXON | IXOFF | IXANY | IUCLC | IMAXBEL);
    if (comm.EnableParity) tio.c_iflag |= INPCK | PARMRK;
    if (comm.XOuputFlowCtl) tio.c_iflag |= IXON;
    if (comm.XInputFlowCtl) tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = static_cast<cc_t>(comm.XOnChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(comm.XOffChar);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    settings.receive.marked = comm.EnableParity;
    settings.receive.discardNull = comm.DiscardNULL;
    if (comm.ErrorReplace) settings.receive.errorChar = static_cast<unsigned char>(comm.ErrorChar);
    settings.receive.capacity = std::max<std::size_t>(comm.InputQueueSize, 16);
    return settings;
}

std::string OpenErrorText(int error, const std::string& path) {
    return ExplainOpenFailure(error, path);
}

WakeEvent::WakeEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!fd_) throw std::system_error(errno, std::generic_category(), "eventfd");
}

void WakeEvent::Signal() {
    const std::uint64_t one = 1;
    while (::write(fd_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

SerialPort::SerialPort(UniqueFd fd) : fd_(std::move(fd)) {}

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& path, std::string& why) {
    if (IsNoSerialLine(path)) {
        why = OpenErrorText(ENOTTY, path);
        return nullptr;
    }
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) {
        why = OpenErrorText(errno, path);
        return nullptr;
    }
    termios tio{};
    if (!::isatty(fd.Get()) || ::tcgetattr(fd.Get(), &tio) != 0) {
        why = OpenErrorText(ENOTTY, path);
        return nullptr;
    }
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        why = OpenErrorText(errno, path);
        return nullptr;
    }
    ::ioctl(fd.Get(), TIOCEXCL);
    auto port = std::make_unique<SerialPort>(std::move(fd));
    port->CounterErrors();  // the baseline for later counts
    return port;
}

SerialPort::~SerialPort() {
    ::ioctl(fd_.Get(), TIOCNXCL);
}

bool SerialPort::GetSettings(termios& tio) const {
    return ::tcgetattr(fd_.Get(), &tio) == 0;
}

bool SerialPort::Apply(const termios& tio) {
    if (::tcsetattr(fd_.Get(), TCSANOW, &tio) == 0) return true;
    // A pty forces 8 data bits without parity, and the C library then says
    // EINVAL although the rest was taken. Anywhere else the driver refused.
    termios now{};
    if (errno != EINVAL || !IsPseudoTerminal() || !GetSettings(now)) return false;
    return now.c_iflag == tio.c_iflag && now.c_oflag == tio.c_oflag && now.c_lflag == tio.c_lflag &&
           ::cfgetospeed(&now) == ::cfgetospeed(&tio);
}

bool SerialPort::IsPseudoTerminal() const {
    struct stat st {};
    return ::fstat(fd_.Get(), &st) == 0 && S_ISCHR(st.st_mode) &&
           major(st.st_rdev) >= kPtySlaveMajorFirst && major(st.st_rdev) <= kPtySlaveMajorLast;
}

std::string SerialPort::Configure(const TZComm& comm, ReceiveQueue::Options& receive) {
    termios current{};
    if (!GetSettings(current))
        return std::string("The port's settings cannot be read: ") + std::strerror(errno) + ".";
    LineSettings settings = ComputeLineSettings(comm, current);
    if (!settings.error.empty()) return settings.error;
    if (!Apply(settings.tio))
        return std::string("The port refuses its settings: ") + std::strerror(errno) + ".";
    receive = settings.receive;
    return {};
}

bool SerialPort::SetDtr(bool on) {
    int lines = TIOCM_DTR;
    return ::ioctl(fd_.Get(), on ? TIOCMBIS : TIOCMBIC, &lines) == 0;
}

bool SerialPort::SetRts(bool on) {
    int lines = TIOCM_RTS;
    return ::ioctl(fd_.Get(), on ? TIOCMBIS : TIOCMBIC, &lines) == 0;
}

bool SerialPort::DsrLow() const {
    int lines = 0;
    return ::ioctl(fd_.Get(), TIOCMGET, &lines) == 0 && (lines & TIOCM_DSR) == 0;
}

void SerialPort::AskLowLatency() {
    serial_struct serial{};
    if (::ioctl(fd_.Get(), TIOCGSERIAL, &serial) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd_.Get(), TIOCSSERIAL, &serial);
}

bool SerialPort::Flush(bool input, bool output) {
    if (!input && !output) return true;
    return ::tcflush(fd_.Get(), input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH) == 0;
}

bool SerialPort::SuspendOutput(bool suspend) {
    return ::tcflow(fd_.Get(), suspend ? TCOOFF : TCOON) == 0;
}

bool SerialPort::Break(bool on) {
    return ::ioctl(fd_.Get(), on ? TIOCSBRK : TIOCCBRK) == 0;
}

bool SerialPort::SetXonXoff(bool on) {
    termios tio{};
    if (!GetSettings(tio)) return false;
    if (on) {
        tio.c_iflag |= IXON | IXOFF;
    } else {
        tio.c_iflag &= ~(IXON | IXOFF);
    }
    return Apply(tio);
}

IoResult SerialPort::WriteByte(unsigned char byte, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const ssize_t written = ::write(fd_.Get(), &byte, 1);
        if (written == 1) return IoResult::Ok;
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN)
            return Gone(errno) ? IoResult::Vanished : IoResult::Failed;
        pollfd out{fd_.Get(), POLLOUT, 0};
        const int ready = ::poll(&out, 1, MsUntil(deadline));
        if (ready < 0 && errno != EINTR) return IoResult::Failed;
        if (ready == 0) return IoResult::TimedOut;
        if (out.revents & (POLLHUP | POLLERR | POLLNVAL)) return IoResult::Vanished;
    }
}

std::size_t SerialPort::OutputQueued() const {
    int queued = 0;
    if (::ioctl(fd_.Get(), TIOCOUTQ, &queued) != 0 || queued < 0) return 0;
    return static_cast<std::size_t>(queued);
}

IoResult SerialPort::Drain(std::uint32_t constantMs, std::uint32_t multiplierMs,
                           const std::function<void(std::size_t)>& unsent) {
    const auto outputQueued = [this]() -> int {
        int queued = 0;
        if (::ioctl(fd_.Get(), TIOCOUTQ, &queued) != 0) return -errno;
        return queued;
    };
    int queued = outputQueued();
    if (queued < 0) return Gone(-queued) ? IoResult::Vanished : IoResult::Failed;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(constantMs + std::uint64_t{multiplierMs} * queued);
    termios tio{};
    const std::uint32_t rate = GetSettings(tio) ? RateOf(::cfgetospeed(&tio)) : 9600;
    while (queued > 0) {
        const int left = MsUntil(deadline);
        if (left == 0) {
            // As a timed-out write: what has not left by now is not sent.
            Flush(false, true);
            return IoResult::TimedOut;
        }
        // Wait as long as the queued bytes take on the wire (11 bits each at
        // most), then look again; the output queue gives no event when empty.
        const auto wire = static_cast<int>(std::uint64_t{11000} * queued / rate) + 1;
        ::poll(nullptr, 0, std::min({left, wire, unsent ? kDrainReportMs : wire}));
        queued = outputQueued();
        if (queued < 0) return Gone(-queued) ? IoResult::Vanished : IoResult::Failed;
        if (unsent) unsent(static_cast<std::size_t>(queued));
    }
    // With the queue empty only the adapter's FIFO is left; the driver bounds this.
    if (::tcdrain(fd_.Get()) != 0 && Gone(errno)) return IoResult::Vanished;
    return IoResult::Ok;
}

SerialPort::Wake SerialPort::WaitReadable(const WakeEvent& wake) const {
    std::array<pollfd, 2> fds{pollfd{wake.Fd(), POLLIN, 0}, pollfd{fd_.Get(), POLLIN, 0}};
    for (;;) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return Wake::Hangup;
        }
        if (fds[0].revents) return Wake::Woken;
        if (fds[1].revents & POLLIN) return Wake::Readable;
        if (fds[1].revents) return Wake::Hangup;
    }
}

SerialPort::ReadResult SerialPort::ReadSome(unsigned char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd_.Get(), buffer, size);
        if (got > 0) return {static_cast<std::size_t>(got), false};
        // A tty reads 0 only once it has been hung up.
        if (got == 0) return {0, true};
        if (errno == EINTR) continue;
        return {0, errno != EAGAIN};
    }
}

int SerialPort::CounterErrors() {
    if (countersChecked_ && !lastCounts_) return -1;
    serial_icounter_struct raw{};
    if (::ioctl(fd_.Get(), TIOCGICOUNT, &raw) != 0) {
        if (errno == EINVAL || errno == ENOTTY) countersChecked_ = true;
        return -1;
    }
    countersChecked_ = true;
    const Counts now{raw.frame, raw.parity, raw.overrun, raw.buf_overrun, raw.brk};
    const Counts before = lastCounts_.value_or(now);
    lastCounts_ = now;
    int errors = 0;
    if (now.frame != before.frame) errors |= kCeFrame;
    if (now.parity != before.parity) errors |= kCeRxParity;
    if (now.overrun != before.overrun) errors |= kCeOverrun;
    if (now.bufOverrun != before.bufOverrun) errors |= kCeRxOver;
    if (now.brk != before.brk) errors |= kCeBreak;
    return errors;
}

void LowerThreadPriority() {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0) ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice + 1);
}

}  // namespace gdl
