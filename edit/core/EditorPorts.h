// The outside world as the editor's core sees it: one bundle, handed to the
// project window by the program, the form tests and the benchmarks alike.
#pragma once

#include <functional>
#include <string>

namespace gdl {

class EditorDialogs;
class Prompts;
class Random;
class Registry;
class SoundPlayer;
class ToolRunner;

struct EditorPorts {
    Registry& registry;
    ToolRunner& runner;
    Prompts& prompts;
    EditorDialogs& dialogs;
    SoundPlayer& sound;
    Random& random;
    std::string programFolder;  // the editor's own folder, trailing "/"
    // Called whenever the state changes while a long command runs (each build
    // line, the loading status), so the form can repaint before it returns.
    std::function<void()> changed = {};
};

}  // namespace gdl
