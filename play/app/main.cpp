// gdlplay.exe: the player's window, or one level sent without it (--send).
#include <iostream>
#include <string>
#include <vector>

#include "Display.h"
#include "HeadlessSend.h"

#ifdef GDLKIT_HAVE_FORMS
#include "PlayerApp.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const gdl::PlayCommand command = gdl::ParsePlayCommand(args);
    if (command.kind == gdl::PlayCommandKind::Gui) {
#ifdef GDLKIT_HAVE_FORMS
        if (!gdl::DisplayAvailable()) {
            std::cerr << gdl::NoDisplayMessage("gdlplay.exe",
                                               "gdlplay.exe --send SET [INDEX] to send a level")
                      << '\n';
            return gdl::kSendUsage;
        }
        return RunPlayerGui(argc, argv);
#else
        std::cerr << "gdlplay.exe was built without its window; use --send.\n";
        return gdl::kSendUsage;
#endif
    }
    return gdl::RunPlayCommandLine(command, std::cout, std::cerr);
}
