// gdlplay.exe's command line: the window's arguments, or one level sent to
// the Lynx without a window (--send).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gdl {

class Registry;

inline constexpr char kGdlPlayVersion[] = GDLKIT_VERSION;
// gdlplay.exe --send's exit statuses.
enum SendExit : int { kSendAnswered = 0, kSendLinkFailed = 1, kSendUsage = 2, kSendNothing = 3 };

enum class PlayCommandKind { Gui, Send, Help, Version, UsageError };

struct PlayCommand {
    PlayCommandKind kind = PlayCommandKind::Gui;
    std::string set;
    std::string index = "1";
    std::string port;  // empty: the stored one
    std::string error;
};

enum class ExchangeOutcome;

// The last line of --send: "Level 1 (GLIMMER GATE) sent to /dev/pts/3 in
// 1.84 s: the Lynx answered." and its kin.
std::string SendOutcomeLine(const std::string& label, const std::string& name,
                            const std::string& port, double seconds, ExchangeOutcome exchange,
                            bool writeFailed);

// The arguments after the program name.
PlayCommand ParsePlayCommand(const std::vector<std::string>& args);
std::string PlayUsageText();

// The start-up of "SET INDEX" (test mode), one PLAY, and the exchange
// followed until the Lynx falls silent or the link fails; then the window's
// close. Returns the exit code. terminal: out is a terminal, which is shown
// the send's progress on one line redrawn in place.
int RunSend(const PlayCommand& command, Registry& registry, const std::string& playerFolder,
            std::ostream& out, std::ostream& err, bool terminal = false);

// Help, version, usage errors and --send on this machine (not for Gui).
int RunPlayCommandLine(const PlayCommand& command, std::ostream& out, std::ostream& err);

}  // namespace gdl
