// GDLMap: the map editor of the kit's level sources.
#include <QCommandLineParser>
#include <QMessageBox>
#include <iostream>

#include "CommandLine.h"
#include "DesktopIdentity.h"
#include "Display.h"
#include "Guarded.h"
#include "MapWindow.h"
#include "QtText.h"

namespace {

constexpr char kUsage[] =
    "Usage: GDLMap FILE.lvs [--level NAME]\n"
    "  Draws the levels of a level source: tiles with a palette and tools, or\n"
    "  with the keyboard (arrows move, a tile's symbol paints it, Enter starts\n"
    "  the next row, Page Up/Down change the level). Ctrl+S saves, Ctrl+Z\n"
    "  undoes, Ctrl+T sends the level shown to the Lynx on $LD_COM.\n"
    "  --level NAME  show that level first\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
    // The file's name is kept as the bytes given: a name in any encoding opens.
    std::string file;
    QString level;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (gdl::AnswerHelpOrVersion(arg, "GDLMap", GDLKIT_VERSION, kUsage, std::cout)) return 0;
        if (arg == "--level" && i + 1 < argc) {
            level = QString::fromLocal8Bit(argv[++i]);
        } else if (arg.rfind("-", 0) == 0 || !file.empty()) {
            std::cerr << "GDLMap: unexpected argument " << arg << "\n\n" << kUsage;
            return 2;
        } else {
            file = arg;
        }
    }
    if (file.empty()) {
        std::cerr << "GDLMap: no source named\n\n" << kUsage;
        return 2;
    }
    if (!gdl::DisplayAvailable()) {
        std::cerr << gdl::NoDisplayMessage("GDLMap", "ld.exe check FILE.lvs to check its levels")
                  << '\n';
        return 2;
    }
    gdl::GuardedApplication app(argc, argv, "GDLMap");
    gdl::SetDesktopIdentity("gdlmap");
    gdl::MapWindow window;
    QString problem;
    if (!window.OpenPath(file, level, &problem)) {
        QMessageBox::critical(nullptr, "GDLMap",
                              "Unable to open " + gdl::DisplayText(file) + ":\n" + problem);
        return 1;
    }
    window.show();
    return app.exec();
}
