// The player's ports in a browser page. Each is a thin C++ class over a few
// functions of the page's host object (player.js): Web Serial for the line,
// the browser's timers, localStorage, HTML dialogs. What a port must wait for
// (opening the port, a dialog) it awaits through Asyncify, so the core runs
// unchanged, one call at a time, as on the window thread; a write returns at
// once and the page reports its progress and end as the line's events.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Chooser.h"
#include "PlayerState.h"
#include "Prompts.h"
#include "SerialLine.h"
#include "StorageRegistry.h"
#include "Timer.h"
#include "ToolRunner.h"

namespace gdl {

// Where the page keeps the sets it has been given (their bytes also go to
// IndexedDB), and the player's own folder.
inline constexpr char kWebSetFolder[] = "/sets/";
inline constexpr char kWebPlayerFolder[] = "/gdlplay/bin/";

class LocalStorage : public KeyValueStore {
public:
    std::optional<std::string> Get(const std::string& item) const override;
    bool Set(const std::string& item, const std::string& value) override;
};

// The serial component over Web Serial: the port the user picked with
// "Connect Lynx", at the Lynx cable's settings. A write hands the stream to
// the page, which writes it on and reports back (progress, then written).
class WebSerialLine : public SerialLine {
public:
    void SetPort(const std::string& port) override { port_ = port; }
    const std::string& Port() const override { return port_; }
    bool OpenConnection() override;
    void CloseConnection() override;
    long ReadComm(unsigned char* buffer, long count) override;
    bool WriteComm(const unsigned char* buffer, long count) override;
    std::size_t Unsent() const override { return unsent_; }
    std::string LastError() const override { return lastError_; }
    bool Vanished() const override { return vanished_; }

    // The page's reports, on the window thread: count more bytes have left
    // the port; the stream has left (or the port stopped taking it); the
    // reader saw the port fail (gone: unplugged, otherwise a line error).
    void Progress(std::size_t count);
    void Written(bool ok);
    void PortFailed(bool gone);

private:
    std::string port_;
    bool open_ = false;
    bool vanished_ = false;
    std::size_t unsent_ = 0;
    std::string lastError_;
};

// Timer1 over setTimeout. A tick the page delivers late (after a Stop or a
// new Start) is recognised by its generation and dropped.
class WebTimer : public Timer {
public:
    void Start(int ms) override;
    void Stop() override;
    bool Enabled() const override { return enabled_; }
    long long NowMs() const override;
    // The page's tick; whether it is the timer's current one (then the
    // timer is off again, one-shot, and the window's handler should run).
    bool Due(int generation);

private:
    bool enabled_ = false;
    int generation_ = 0;
};

// Message boxes and the file dialog as HTML dialogs.
class WebPrompts : public Prompts {
public:
    void ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) override;
    Answer Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
               MsgIcon icon) override;
    // The page's dOpen: a file picked or dropped there is kept in the set
    // folder and its path returned.
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override {
        return std::nullopt;
    }
    // A file dropped on the page: the next file dialog returns it at once.
    void Preset(std::string path) { preset_ = std::move(path); }

private:
    std::optional<std::string> preset_;
};

// No program can be started from a page; every start fails with a reason.
class WebToolRunner : public ToolRunner {
public:
    int RunTool(const std::string& file, const std::string&, const std::string&, bool,
                bool) override;
    std::string LastError() const override { return lastError_; }

private:
    std::string lastError_;
};

// TfLoad and TfHint as HTML dialogs; the chooser's rules are the core's.
class WebDialogs : public PlayerDialogs {
public:
    WebDialogs(Registry& registry, Prompts& prompts, ToolRunner& runner)
        : chooser_(registry, prompts, runner) {}
    std::optional<std::string> ShowLoad(const std::string& installFolder, const std::string& folder,
                                        const std::string& fileName) override;
    void ShowHint(const std::string& caption, const std::string& label,
                  const std::string& memo) override;
    // The next showing goes straight to "O&ther..." (a file was dropped).
    void OtherAtOnce() { otherAtOnce_ = true; }

private:
    // One event of the chooser's dialog, as the page reports it.
    void Handle(const std::string& event);

    Chooser chooser_;
    bool otherAtOnce_ = false;
};

}  // namespace gdl
