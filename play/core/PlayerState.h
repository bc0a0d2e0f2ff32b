// The player's state, owned by the main window for the program's life, and
// the ports through which the player core reaches the outside.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "PlayerView.h"
#include "SerialPreflight.h"

namespace gdl {

class Prompts;
class Registry;
class SerialLine;
class Timer;
class ToolRunner;

enum class SetKind { LevelSetFile, Project };

struct PlayerState {
    // Folders, trailing "/".
    std::string playerFolder;   // the program's own folder
    std::string installFolder;  // recorded, or the player folder's parent

    SetKind kind = SetKind::LevelSetFile;
    std::string setFolder = "./";
    std::string setFileName;

    long long index = 1;  // current level index: the number the player sees
    long long offset = 0;
    std::string label;  // level label of the current level

    bool firstPlay = true;
    bool levelReady = false;
    bool endOfGame = false;
    int newLevel = 1;
    int freshStart = 128;
    int replayCounter = 0;  // -1: no hint offer

    bool wizard = false;
    bool test = false;
    bool cd = false;

    std::string wizardCode;
    int music = 0;
    std::string levelName;  // project kind: base name of the compiled level

    // Level set file kind: copies of the header and the table as last read,
    // the current entry's stored size, and the compiled data read for it.
    std::string headerCopy;
    std::string tableCopy;
    std::uint32_t levelSize = 0;
    std::string levelData;

    long long Position() const { return index + offset; }
};

// The modal dialogs the main window shows.
class PlayerDialogs {
public:
    virtual ~PlayerDialogs() = default;
    // TfLoad, given the install folder and the starting folder and file name
    // of its file dialog: the chosen path on OK, nullopt on Cancel.
    virtual std::optional<std::string> ShowLoad(const std::string& installFolder,
                                                const std::string& folder,
                                                const std::string& fileName) = 0;
    // TfHint with its caption, label and memo.
    virtual void ShowHint(const std::string& caption, const std::string& label,
                          const std::string& memo) = 0;
    // The whole reason a port cannot be used, to read and copy.
    virtual void ShowPortReason(const std::string& caption, const std::string& status,
                                const std::string& reason) {
        (void)caption, (void)status, (void)reason;
    }
    // The serial devices to choose from (one line each) for one of the ports
    // 1 .. 4, starting at port: the chosen port and line, or nullopt.
    struct DeviceChoice {
        int port = 1;
        std::size_t line = 0;
    };
    virtual std::optional<DeviceChoice> ChooseDevice(const std::vector<std::string>& lines,
                                                     int port) {
        (void)lines, (void)port;
        return std::nullopt;
    }
};

struct PlayerPorts {
    Registry& registry;
    ToolRunner& runner;
    Prompts& prompts;
    Timer& timer;
    SerialLine& line;
    PlayerDialogs& dialogs;
    // Paints the window at once (the send and the reading block it).
    std::function<void()> repaint = [] {};
    // Where the serial devices are looked for; tests point it elsewhere.
    SerialRoots serialRoots = {};
};

// What the concerns of the main window share.
struct PlayerContext {
    PlayerPorts ports;
    PlayerState state;
    PlayerView view;
    std::vector<std::string> args;  // the command line's arguments
};

}  // namespace gdl
