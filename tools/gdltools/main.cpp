// GDLTools.exe, the companion program the editor's About command starts.
#include <iostream>
#include <string>
#include <string_view>

#include "Companion.h"
#include "ToolProcess.h"

namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  GDLTools.exe               about the kit and the files of its tool folder\n"
    "  GDLTools.exe about         the same, always on standard output\n"
    "  GDLTools.exe info FILE.gdl the header, level table and hints of a level set\n"
    "  GDLTools.exe bin FILE.bin  the header and map of a compiled level\n"
    "  GDLTools.exe --help | --version\n";

// Started from the editor there is no terminal to read the text in: show it
// in a terminal window of its own and return at once.
void ShowInWindow() {
    if (!gdl::HaveDisplay()) return;
    std::string self = gdl::OwnProgramFolder() + "GDLTools.exe";
    auto cmd = gdl::TerminalCommand("GDLKIT Tools", {self, "about", "--pause"});
    if (cmd) gdl::StartDetached(*cmd);
}

}  // namespace

int main(int argc, char** argv) {
    std::string_view cmd = argc > 1 ? argv[1] : "";
    if (cmd == "--help" || cmd == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (cmd == "--version") {
        std::cout << "GDLTools.exe (GDLKIT) " << GDLKIT_VERSION << '\n';
        return 0;
    }
    if (argc == 1 || (cmd == "about" && argc <= 3)) {
        std::cout << gdl::AboutText(gdl::OwnProgramFolder()) << std::flush;
        if (argc == 3 && std::string_view(argv[2]) == "--pause") {
            std::cout << "\nPress Enter to close." << std::flush;
            std::string line;
            std::getline(std::cin, line);
        } else if (argc == 1 && !gdl::StdoutIsTerminal() && !gdl::StdinIsTerminal()) {
            ShowInWindow();
        }
        return 0;
    }
    if (argc == 3 && cmd == "info") return gdl::PrintLevelSetInfo(argv[2], std::cout, std::cerr);
    if (argc == 3 && cmd == "bin") return gdl::PrintCompiledLevel(argv[2], std::cout, std::cerr);
    std::cerr << "GDLTools.exe: unknown command line\n\n" << kUsage;
    return 2;
}
