// GDLTools.exe, the companion program: started by both programs' About
// commands, by the player's Info command with a level set file, and by hand.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "Companion.h"
#include "Environment.h"
#include "Gallery.h"
#include "GalleryPlayer.h"
#include "PortMap.h"
#include "Registry.h"
#include "TextUtil.h"
#include "ToolProcess.h"

#ifdef GDLKIT_HAVE_FORMS
#include "CompanionPages.h"
#endif

namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  GDLTools.exe               the kit's window (about, ports); without a display the\n"
    "                             about text: the version and the files of the tool folder\n"
    "  GDLTools.exe FILE          a level set (.gdl) or project (.gdp): its header, its\n"
    "                             levels and their maps, in the window or as text\n"
    "  GDLTools.exe about         the about text, always on standard output\n"
    "  GDLTools.exe info FILE     the viewer of FILE as text, always on standard output\n"
    "  GDLTools.exe bin FILE.bin  the header and map of a compiled level\n"
    "  GDLTools.exe gallery SET.gdl|PROJECT.gdp|SOURCE.lvs OUTDIR [--tile N] [--codes]\n"
    "                      [--no-player]\n"
    "                             a picture of every level (N pixels a tile, 1 to 32,\n"
    "                             default 8) and OUTDIR/index.html; codes and hints\n"
    "                             only with --codes; for a level set also the browser\n"
    "                             player in OUTDIR/play/ and a \"Play on your Lynx\" link,\n"
    "                             unless --no-player\n"
    "  GDLTools.exe ports         which device each of Com1 ... Com4 opens\n"
    "  GDLTools.exe port ComN DEVICE\n"
    "                             makes ComN open DEVICE (\"default\": the default rule)\n"
    "  GDLTools.exe --help | --version\n";

int SetPort(const std::string& port, const std::string& device) {
    gdl::FileRegistry registry = gdl::FileRegistry::FromEnvironment();
    std::string why = gdl::SetPortDevice(registry, port, device);
    if (!why.empty()) {
        std::cerr << "GDLTools.exe: " << why << '\n';
        return 1;
    }
    std::cout << gdl::PortsText(registry);
    return 0;
}

// Started by a program without a terminal, the text goes nowhere: open the
// window where there is one.
int ShowWindowOrText(int argc, char** argv, const std::string& file) {
#ifdef GDLKIT_HAVE_FORMS
    if (gdl::HaveDisplay()) return gdl::RunCompanionWindow(argc, argv, file);
#else
    (void)argc;
    (void)argv;
#endif
    if (!file.empty()) return gdl::PrintLevelSetInfo(file, std::cout, std::cerr);
    std::cout << gdl::AboutText(gdl::OwnProgramFolder()) << std::flush;
    return 0;
}

int Gallery(int argc, char** argv) {
    std::vector<std::string> files;
    int tile = gdl::kDefaultGalleryTile;
    bool codes = false;
    bool player = true;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--codes") {
            codes = true;
        } else if (arg == "--no-player") {
            player = false;
        } else if (arg == "--tile" && i + 1 < argc) {
            auto n = gdl::ParseDecimal(argv[++i]);
            if (!n || *n < 1 || *n > gdl::kMaxRenderTileSize) {
                std::cerr << "GDLTools.exe: --tile takes 1 to " << gdl::kMaxRenderTileSize
                          << " pixels\n";
                return 2;
            }
            tile = static_cast<int>(*n);
        } else if (arg.starts_with("--")) {
            std::cerr << "GDLTools.exe: unknown option " << arg << " of gallery\n\n" << kUsage;
            return 2;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.size() != 2) {
        std::cerr << "GDLTools.exe: gallery takes a level set, project or source and a folder\n\n"
                  << kUsage;
        return 2;
    }
    return gdl::WriteGallery(files[0], files[1], tile, codes, std::cout, std::cerr, player,
                             gdl::WebPlayerFolder(gdl::OwnProgramFolder()));
}

}  // namespace

int main(int argc, char** argv) {
    std::string_view cmd = argc > 1 ? argv[1] : "";
    if (gdl::AnswerHelpOrVersion(cmd, "GDLTools.exe", GDLKIT_VERSION, kUsage, std::cout)) return 0;
    if (argc == 1) return ShowWindowOrText(argc, argv, "");
    if (argc == 2 && cmd == "about") {
        std::cout << gdl::AboutText(gdl::OwnProgramFolder()) << std::flush;
        return 0;
    }
    if (argc == 2 && cmd == "ports") {
        std::cout << gdl::PortsText(gdl::FileRegistry::FromEnvironment());
        return 0;
    }
    if (argc == 4 && cmd == "port") return SetPort(argv[2], argv[3]);
    if (cmd == "gallery") return Gallery(argc, argv);
    if (argc == 3 && cmd == "info") return gdl::PrintLevelSetInfo(argv[2], std::cout, std::cerr);
    if (argc == 3 && cmd == "bin") return gdl::PrintCompiledLevel(argv[2], std::cout, std::cerr);
    if (argc == 2 && !cmd.empty() && cmd.front() != '-')
        return ShowWindowOrText(argc, argv, std::string(cmd));
    std::cerr << "GDLTools.exe: unknown command line\n\n" << kUsage;
    return 2;
}
