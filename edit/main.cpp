// GDLEdit: the windows, or the build without them (--build).
#include <iostream>
#include <string>
#include <vector>

#include "Display.h"
#include "HeadlessBuild.h"

#ifdef GDLKIT_HAVE_FORMS
#include "EditorApp.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const gdl::CommandLine command = gdl::ParseCommandLine(args);
    if (command.kind == gdl::CommandKind::Gui) {
#ifdef GDLKIT_HAVE_FORMS
        if (!gdl::DisplayAvailable()) {
            std::cerr << gdl::NoDisplayMessage("GDLEdit", "GDLEdit --build PROJECT.gdp to build")
                      << '\n';
            return gdl::kExitUsage;
        }
        return RunEditorGui(argc, argv);
#else
        std::cerr << gdl::kNoWindowsMessage << '\n';
        return gdl::kExitUsage;
#endif
    }
    return gdl::RunCommandLine(command, std::cout, std::cerr);
}
