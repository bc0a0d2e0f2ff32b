#include "HeadlessSend.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "Environment.h"
#include "EventLoop.h"
#include "FileUtil.h"
#include "Link.h"
#include "PlayerWindow.h"
#include "Process.h"
#include "Prompts.h"
#include "Registry.h"
#include "TextUtil.h"
#include "ToolRunner.h"
#include "ZcommLine.h"

namespace gdl {

namespace {

// Long enough for any level at 9600 baud and the Lynx's answer.
constexpr auto kExchangeLimit = std::chrono::seconds(30);

class HeadlessDialogs : public PlayerDialogs {
public:
    explicit HeadlessDialogs(std::ostream& err) : err_(err) {}
    std::optional<std::string> ShowLoad(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    void ShowHint(const std::string& caption, const std::string&,
                  const std::string& memo) override {
        err_ << caption << ": " << memo << '\n';
    }

private:
    std::ostream& err_;
};

// Prints each new text of the status line as it changes; on a terminal, the
// send's progress as one line that is redrawn in place and erased at the end.
class StatusPrinter {
public:
    StatusPrinter(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}
    void Show(const PlayerView& view) {
        if (view.Panel14.text != last_ && progressShown_) out_ << "\r\033[K";
        progressShown_ = progressShown_ && view.Panel14.text == last_;
        ShowStatus(view);
        ShowProgress(view.pSend);
    }
    void ShowStatus(const PlayerView& view) {
        if (view.Panel14.text == last_) return;
        last_ = view.Panel14.text;
        out_ << "Panel14: " << ForTerminal(last_) << '\n' << std::flush;
    }

private:
    void ShowProgress(const ProgressView& bar) {
        if (!terminal_ || (!bar.visible && !progressShown_)) return;
        // The line is redrawn only when it says something new.
        if (bar.visible && progressShown_ && bar.position == shownAt_) return;
        shownAt_ = bar.position;
        out_ << "\r\033[K";
        progressShown_ = bar.visible;
        if (bar.visible) out_ << "Sending: " << bar.position << " of " << bar.max << " bytes";
        out_ << std::flush;
    }
    std::ostream& out_;
    bool terminal_;
    bool progressShown_ = false;
    std::size_t shownAt_ = 0;
    std::string last_;
};

}  // namespace

PlayCommand ParsePlayCommand(const std::vector<std::string>& args) {
    PlayCommand c;
    auto usage = [&](std::string why) {
        c.kind = PlayCommandKind::UsageError;
        c.error = std::move(why);
        return c;
    };
    if (args.empty() || args[0] != "--send") {
        for (const auto& a : args) {
            if (a == "--help")
                c.kind = PlayCommandKind::Help;
            else if (a == "--version")
                c.kind = PlayCommandKind::Version;
            if (c.kind != PlayCommandKind::Gui) return c;
        }
        if (!args.empty() && args[0].rfind("--", 0) == 0) return usage("unknown option " + args[0]);
        return c;
    }
    c.kind = PlayCommandKind::Send;
    std::vector<std::string> words;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--port") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return usage("--port needs a name");
            c.port = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            return usage("unknown option " + args[i]);
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.empty()) return usage("--send needs a level set or project");
    if (words.size() > 2) return usage("too many arguments");
    c.set = words[0];
    if (words.size() == 2) {
        // A level number as the window's test mode takes it, but nothing else:
        // "abc" or a number past any level is a mistake, not level 1.
        if (!ParseDecimal(words[1])) return usage("INDEX must be a whole number, not " + words[1]);
        c.index = words[1];
    }
    return c;
}

std::string SendOutcomeLine(const std::string& label, const std::string& name,
                            const std::string& port, double seconds, ExchangeOutcome exchange,
                            bool writeFailed) {
    std::string level = "Level " + label + " (" + name + ")";
    if (exchange == Exchange::CannotOpen)
        return level + " not sent: " + port + " could not be opened.";
    char time[32];
    std::snprintf(time, sizeof time, "%.2f", seconds);
    std::string why = "the Lynx did not answer.";
    if (exchange == Exchange::InPlay) why = "the Lynx answered.";
    if (exchange == Exchange::ReadError) why = "the port reported a read error.";
    if (writeFailed) why = "a write to the port failed.";
    return level + " sent to " + port + " in " + time + " s: " + why;
}

std::string PlayUsageText() {
    return "Usage: gdlplay.exe [SET [-cd | INDEX]]\n"
           "       gdlplay.exe --send SET [INDEX] [--port NAME]\n"
           "\n"
           "Without --send the player's window opens: on SET (a level set .gdl or a\n"
           "project .gdp), in CD mode with -cd, or in test mode at level INDEX.\n"
           "\n"
           "--send puts level INDEX (1 when left out) of SET on the Lynx without a\n"
           "window and follows the exchange: it prints the level's panels, then each\n"
           "status line. NAME is Com1 ... Com4 or a device path, for this run only.\n"
           "Exit status: 0 the Lynx answered, 1 the port could not be opened, a write\n"
           "failed or the Lynx did not respond, 3 nothing was sent, 2 a usage error.\n";
}

int RunSend(const PlayCommand& command, Registry& registry, const std::string& playerFolder,
            std::ostream& out, std::ostream& err, bool terminal) {
    if (!FileExists(command.set)) {
        err << "gdlplay.exe: " << ForTerminal(command.set) << ": no such level set or project\n";
        return kSendUsage;
    }
    EventLoop loop;
    ZcommLine line([&loop](std::function<void()> fn) { loop.Post(std::move(fn)); }, &registry);
    PosixToolRunner runner;
    StreamPrompts prompts(err, Answer::No, " No");
    HeadlessDialogs dialogs(err);
    StatusPrinter status(out, terminal);
    PlayerWindow* window = nullptr;
    PlayerPorts ports{registry,
                      runner,
                      prompts,
                      loop.WindowTimer(),
                      line,
                      dialogs,
                      [&] { status.Show(window->View()); }};
    PlayerWindow w(ports, {command.set, command.index}, playerFolder);
    window = &w;
    loop.WindowTimer().onTick = [&] { w.Timer1Timer(); };

    auto close = [&](int code) {
        w.FormClose();
        w.FormDestroy();
        return code;
    };
    w.FormActivate();
    if (w.View().closeRequested) return close(kSendNothing);
    const PlayerView& v = w.View();
    for (const auto& [name, panel] : {std::pair{"Panel1", &v.Panel1},
                                      {"Panel2", &v.Panel2},
                                      {"Panel3", &v.Panel3},
                                      {"Panel4", &v.Panel4},
                                      {"Panel8", &v.Panel8}})
        out << name << ": " << ForTerminal(panel->text) << '\n';
    out << std::flush;
    if (!command.port.empty()) w.UsePort(command.port);

    // What the level is called before the play action, which may move on.
    const std::string label = w.State().label, name = v.Panel3.text;
    const auto started = std::chrono::steady_clock::now();
    const Link& link = w.LinkLayer();
    auto outcome = [&](Exchange exchange) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        out << ForTerminal(SendOutcomeLine(label, name, line.Port(), took.count(), exchange,
                                           link.WriteFailed()))
            << '\n';
    };
    w.SpeedButton1Click();
    status.Show(v);
    if (!w.LastPlaySent()) {
        if (link.LastExchange() != Exchange::CannotOpen) {
            out << "Nothing was sent: " << ForTerminal(v.Panel2.text + " / " + v.Panel3.text)
                << '\n';
            return close(kSendNothing);
        }
        if (!line.LastError().empty()) err << ForTerminal(line.LastError()) << '\n';
        outcome(Exchange::CannotOpen);
        return close(kSendLinkFailed);
    }
    auto ended = [&] {
        status.Show(v);
        return link.LastExchange() != Exchange::Sending;
    };
    loop.RunUntil(ended, kExchangeLimit);
    status.Show(v);
    const Exchange exchange = link.LastExchange();
    outcome(exchange);
    const bool answered = exchange == Exchange::InPlay && !link.WriteFailed();
    return close(answered ? kSendAnswered : kSendLinkFailed);
}

int RunPlayCommandLine(const PlayCommand& command, std::ostream& out, std::ostream& err) {
    switch (command.kind) {
        case PlayCommandKind::Help:
            out << PlayUsageText();
            return 0;
        case PlayCommandKind::Version:
            out << "gdlplay.exe (GDLKIT) " << kGdlPlayVersion << '\n';
            return 0;
        case PlayCommandKind::UsageError:
            err << "gdlplay.exe: " << command.error << "\n" << PlayUsageText();
            return kSendUsage;
        case PlayCommandKind::Send: {
            FileRegistry registry = FileRegistry::FromEnvironment();
            return RunSend(command, registry, ProgramFolder(), out, err, StdoutIsTerminal());
        }
        case PlayCommandKind::Gui:
            break;
    }
    return kSendUsage;
}

}  // namespace gdl
