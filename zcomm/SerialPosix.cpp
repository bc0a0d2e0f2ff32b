// How the component's Win32 calls map onto Linux (SetCommState, the
// settings onto termios, is in SerialTermios.cpp):
// - CreateFile (read/write, no sharing): open O_RDWR|O_NOCTTY|O_CLOEXEC|O_NONBLOCK
//   (no controlling terminal; never blocks on DCD), refused unless isatty. "No
//   sharing" is flock(LOCK_EX|LOCK_NB), which also refuses a second open from
//   the same process, plus TIOCEXCL against programs that do not lock (root
//   passes TIOCEXCL; the lock still holds). Closing gives TIOCEXCL back, since
//   a pty whose other side stays open keeps it.
// - EscapeCommFunction: TIOCMBIS/TIOCMBIC for DTR and RTS, TIOCSBRK/TIOCCBRK
//   for the break, tcflow for SETXOFF/SETXON. DTR is raised at open and
//   dropped at close; a pty has no modem lines, which is not an error there.
// - PurgeComm: tcflush of the side named, and the receive queue for input.
// - ClearCommError: the receive queue's error flags, filled from the marks and
//   from the driver's counters (TIOCGICOUNT; EINVAL/ENOTTY: it keeps none).
// - SetCommTimeouts: Linux has no port time-outs; the component keeps them and
//   bounds its waits by them (a write fails once the port has taken nothing
//   for the write time-out).
// - WaitCommEvent(EV_RXCHAR): poll on the port and on the thread's eventfd.
// - ReadFile/WriteFile overlapped: non-blocking read/write. The watch thread
//   hands a write to the driver as fast as it takes it (poll POLLOUT), so the
//   driver paces the wire; the write is done once TIOCOUTQ is empty and
//   tcdrain has returned.
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
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "SerialPreflight.h"
#include "SerialTermios.h"

namespace gdl {

namespace {

// UNIX98 pty slaves (/dev/pts/N).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

bool GoneErrno(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

Error SystemError(const char* what) {
    return Error::FromErrno(errno, std::string(what) + ": " + std::strerror(errno) + ".");
}

Result<void> Check(bool ok, const char* what) {
    if (ok) return {};
    return SystemError(what);
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

}  // namespace

std::string OpenErrorText(int error, const std::string& path) {
    return ExplainOpenFailure(error, path);
}

bool IsGone(const Error& error) {
    return GoneErrno(error.Errno());
}

Result<void> MakeRawLine(int fd, const std::optional<LineSettings>& settings) {
    if (settings) {
        if (auto ok = CheckLineSettings(*settings); !ok) return ok;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return SystemError("The line's settings cannot be read");
    if (settings) {
        FillTermios(*settings, tio);
    } else {
        ::cfmakeraw(&tio);
    }
    return Check(::tcsetattr(fd, TCSANOW, &tio) == 0, "The line refuses its settings");
}

WakeEvent::WakeEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!fd_) throw std::system_error(errno, std::generic_category(), "eventfd");
}

void WakeEvent::Signal() {
    const std::uint64_t one = 1;
    while (::write(fd_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WakeEvent::Clear() {
    std::uint64_t count = 0;
    while (::read(fd_.Get(), &count, sizeof count) < 0 && errno == EINTR) {
    }
}

SerialPort::SerialPort(UniqueFd fd) : fd_(std::move(fd)) {}

Result<std::unique_ptr<SerialPort>> SerialPort::Open(const std::string& path) {
    auto refuse = [&path](int error) {
        return Error::FromErrno(error, OpenErrorText(error, path));
    };
    if (IsNoSerialLine(path)) return refuse(ENOTTY);
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) return refuse(errno);
    termios tio{};
    if (!::isatty(fd.Get()) || ::tcgetattr(fd.Get(), &tio) != 0) return refuse(ENOTTY);
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return refuse(errno);
    ::ioctl(fd.Get(), TIOCEXCL);
    auto port = std::make_unique<SerialPort>(std::move(fd));
    port->CounterErrors();  // the baseline for later counts
    return port;
}

SerialPort::~SerialPort() {
    ::ioctl(fd_.Get(), TIOCNXCL);
}

bool SerialPort::IsPseudoTerminal() const {
    struct stat st {};
    return ::fstat(fd_.Get(), &st) == 0 && S_ISCHR(st.st_mode) &&
           major(st.st_rdev) >= kPtySlaveMajorFirst && major(st.st_rdev) <= kPtySlaveMajorLast;
}

Result<void> SerialPort::Configure(const LineSettings& settings) {
    if (auto ok = CheckLineSettings(settings); !ok) return ok;
    termios tio{};
    if (::tcgetattr(fd_.Get(), &tio) != 0) return SystemError("The port's settings cannot be read");
    FillTermios(settings, tio);
    if (::tcsetattr(fd_.Get(), TCSANOW, &tio) == 0) return {};
    // A pty forces 8 data bits without parity, and the C library then says
    // EINVAL although the rest was taken. Anywhere else the driver refused.
    const int error = errno;
    termios now{};
    if (error == EINVAL && IsPseudoTerminal() && ::tcgetattr(fd_.Get(), &now) == 0 &&
        now.c_iflag == tio.c_iflag && now.c_oflag == tio.c_oflag && now.c_lflag == tio.c_lflag &&
        ::cfgetospeed(&now) == ::cfgetospeed(&tio))
        return {};
    errno = error;
    return SystemError("The port refuses its settings");
}

Result<void> SerialPort::SetDtr(bool on) {
    int lines = TIOCM_DTR;
    return Check(::ioctl(fd_.Get(), on ? TIOCMBIS : TIOCMBIC, &lines) == 0, "DTR");
}

Result<void> SerialPort::SetRts(bool on) {
    int lines = TIOCM_RTS;
    return Check(::ioctl(fd_.Get(), on ? TIOCMBIS : TIOCMBIC, &lines) == 0, "RTS");
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

Result<void> SerialPort::Flush(bool input, bool output) {
    if (!input && !output) return {};
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return Check(::tcflush(fd_.Get(), which) == 0, "Purge");
}

Result<void> SerialPort::SuspendOutput(bool suspend) {
    return Check(::tcflow(fd_.Get(), suspend ? TCOOFF : TCOON) == 0, "XOFF/XON");
}

Result<void> SerialPort::Break(bool on) {
    return Check(::ioctl(fd_.Get(), on ? TIOCSBRK : TIOCCBRK) == 0, "Break");
}

Result<void> SerialPort::SetXonXoff(bool on) {
    termios tio{};
    if (::tcgetattr(fd_.Get(), &tio) != 0) return SystemError("The port's settings cannot be read");
    if (on) {
        tio.c_iflag |= IXON | IXOFF;
    } else {
        tio.c_iflag &= ~(IXON | IXOFF);
    }
    return Check(::tcsetattr(fd_.Get(), TCSANOW, &tio) == 0, "The port refuses its settings");
}

Result<std::size_t> SerialPort::WriteSome(const unsigned char* bytes, std::size_t count) {
    for (;;) {
        const ssize_t written = ::write(fd_.Get(), bytes, count);
        if (written >= 0) return static_cast<std::size_t>(written);
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return std::size_t{0};
        return SystemError("Write");
    }
}

Result<std::size_t> SerialPort::OutputQueued() const {
    int queued = 0;
    if (::ioctl(fd_.Get(), TIOCOUTQ, &queued) != 0) return SystemError("TIOCOUTQ");
    return static_cast<std::size_t>(std::max(queued, 0));
}

Result<void> SerialPort::DrainDriver() {
    if (::tcdrain(fd_.Get()) == 0 || errno == EINTR) return {};
    return SystemError("Drain");
}

SerialPort::Ready SerialPort::Wait(const WakeEvent& wake, bool wantWrite, int timeoutMs) const {
    const short events = static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0));
    std::array<pollfd, 2> fds{pollfd{wake.Fd(), POLLIN, 0}, pollfd{fd_.Get(), events, 0}};
    Ready ready;
    for (;;) {
        const int n = ::poll(fds.data(), fds.size(), timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ready.hangup = true;
            return ready;
        }
        break;
    }
    ready.woken = fds[0].revents != 0;
    ready.readable = (fds[1].revents & POLLIN) != 0;
    ready.writable = (fds[1].revents & POLLOUT) != 0;
    // Waiting bytes are read first; the hang-up shows again after them.
    ready.hangup = !ready.readable && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    return ready;
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
