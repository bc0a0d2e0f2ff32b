// The player's reader: a level set file or a project (the first byte says
// which) opened from the command line, then PLAY, NEXT and the Lynx's answers,
// with every port a test double.
#include "FuzzSupport.h"
#include "PlayerFakes.h"
#include "PlayerWindow.h"
#include "Prompts.h"
#include "Registry.h"
#include "SerialLine.h"
#include "Timer.h"
#include "ToolRunner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool project = data[0] & 1;
    const std::string path =
        gdlfuzz::WriteScratch(project ? "set.gdp" : "set.gdl", gdlfuzz::Bytes(data + 1, size - 1));
    static const std::string bin = [] {
        gdlfuzz::WriteScratch("ld.exe", "marker");
        gdlfuzz::WriteScratch("ld.pif", "marker");
        return gdlfuzz::ScratchFolder();
    }();

    gdl::PlayerFakes fakes;
    gdl::PlayerWindow window(fakes.Ports(), {path, "-cd"}, bin);
    auto& timer = fakes.timer;
    auto& line = fakes.line;
    timer.onTick = [&] { window.Timer1Timer(); };
    window.FormActivate();
    for (int round = 0; round < 3; ++round) {
        window.SpeedButton1Click();
        line.incoming.push_back(0x5A);
        window.zComDataAvailable();
        timer.Advance(gdl::kWatchdogMs);
        window.SpeedButton2Click();
        timer.Advance(gdl::kWatchdogMs);
    }
    window.FormClose();
    window.FormDestroy();
    return 0;
}
