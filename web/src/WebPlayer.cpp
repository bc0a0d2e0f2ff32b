// GDLPlay's page: the player's core with the browser's ports. The page calls
// these functions one at a time (its queue is the window thread) and renders
// gdl_view() after each.
#include <emscripten.h>

#include <memory>
#include <string>
#include <vector>

#include "PlayerWindow.h"
#include "StorageRegistry.h"
#include "ViewJson.h"
#include "WebPorts.h"

// clang-format off
EM_JS(void, js_repaint, (), {
    Module.host.repaint();
});
// clang-format on

namespace {

using namespace gdl;

struct WebPlayer {
    LocalStorage storage;
    StorageRegistry registry{storage};
    WebToolRunner runner;
    WebPrompts prompts;
    WebTimer timer;
    WebSerialLine line;
    WebDialogs dialogs{registry, prompts, runner};
    std::unique_ptr<PlayerWindow> window;
    std::string viewJson;
};

WebPlayer& Player() {
    static WebPlayer player;
    return player;
}

// The controls and menu items the page has, each with its handler.
struct Command {
    const char* name;
    void (PlayerWindow::*handler)();
};
constexpr Command kCommands[] = {
    {"SpeedButton1Click", &PlayerWindow::SpeedButton1Click},
    {"SpeedButton2Click", &PlayerWindow::SpeedButton2Click},
    {"SpeedButton3Click", &PlayerWindow::SpeedButton3Click},
    {"SpeedButton4Click", &PlayerWindow::SpeedButton4Click},
    {"SpeedButton5Click", &PlayerWindow::SpeedButton5Click},
    {"SpeedButton6Click", &PlayerWindow::SpeedButton6Click},
    {"SpeedButton7Click", &PlayerWindow::SpeedButton7Click},
    {"Hint1Click", &PlayerWindow::Hint1Click},
    {"Com11Click", &PlayerWindow::Com11Click},
    {"Com21Click", &PlayerWindow::Com21Click},
    {"Com31Click", &PlayerWindow::Com31Click},
    {"Com41Click", &PlayerWindow::Com41Click},
    {"SavePassword1Click", &PlayerWindow::SavePassword1Click},
    {"AutoLoadLevelSet1Click", &PlayerWindow::AutoLoadLevelSet1Click},
    {"IgnoreLynxButtons1Click", &PlayerWindow::IgnoreLynxButtons1Click},
    {"FormClose", &PlayerWindow::FormClose},
};

}  // namespace

extern "C" {

// Starts the window, with the set named by the page's address as the
// command line's path ("" for none).
EMSCRIPTEN_KEEPALIVE void gdl_start(const char* setPath) {
    WebPlayer& p = Player();
    std::vector<std::string> args;
    if (*setPath) args.emplace_back(setPath);
    PlayerPorts ports{p.registry, p.runner, p.prompts, p.timer, p.line, p.dialogs, js_repaint};
    ports.levelTool = false;
    p.window = std::make_unique<PlayerWindow>(ports, std::move(args), kWebPlayerFolder);
    p.window->FormActivate();
}

// Whether the page's control or menu item of that name was known.
EMSCRIPTEN_KEEPALIVE int gdl_command(const char* name) {
    WebPlayer& p = Player();
    if (!p.window) return 0;
    for (const Command& c : kCommands) {
        if (std::string(c.name) != name) continue;
        (p.window.get()->*c.handler)();
        return 1;
    }
    return 0;
}

EMSCRIPTEN_KEEPALIVE void gdl_code_changed(const char* text) {
    if (auto& w = Player().window) w->ePWChange(text);
}

// A set dropped on the page, already kept under path: LOAD with it chosen
// through "O&ther...", so it is offered for the list as any other file.
EMSCRIPTEN_KEEPALIVE void gdl_load_file(const char* path) {
    WebPlayer& p = Player();
    if (!p.window) return;
    p.prompts.Preset(path);
    p.dialogs.OtherAtOnce();
    p.window->SpeedButton3Click();
}

EMSCRIPTEN_KEEPALIVE void gdl_data_available() {
    if (auto& w = Player().window) w->zComDataAvailable();
}

EMSCRIPTEN_KEEPALIVE void gdl_write_progress(int count) {
    if (count > 0) Player().line.Progress(static_cast<std::size_t>(count));
}

EMSCRIPTEN_KEEPALIVE void gdl_written(int ok) {
    Player().line.Written(ok != 0);
}

EMSCRIPTEN_KEEPALIVE void gdl_port_failed(int gone) {
    Player().line.PortFailed(gone != 0);
}

EMSCRIPTEN_KEEPALIVE void gdl_tick(int generation) {
    WebPlayer& p = Player();
    if (p.window && p.timer.Due(generation)) p.window->Timer1Timer();
}

EMSCRIPTEN_KEEPALIVE const char* gdl_view() {
    WebPlayer& p = Player();
    p.viewJson = p.window ? ViewJson(p.window->View()) : "null";
    return p.viewJson.c_str();
}

}  // extern "C"
