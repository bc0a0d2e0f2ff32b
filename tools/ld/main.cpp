// ld.exe, the kit's level tool: lists, edits and compiles level sources.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "LevelCheck.h"
#include "LevelTool.h"
#include "LevelToolCommands.h"
#include "SourceEditor.h"

namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  ld.exe NAME       edit NAME.lvs: on a desktop in GDLMap, the map editor\n"
    "                    beside ld.exe; otherwise in $VISUAL, $EDITOR, nano or vi\n"
    "  ld.exe --text NAME\n"
    "                    edit NAME.lvs in the text editor, even on a desktop\n"
    "  ld.exe -sNAME     list the levels of NAME.lvs\n"
    "  ld.exe -mNAME     compile every level of NAME.lvs into LEVEL.bin and gdl.hsf\n"
    "  ld.exe check [--json] FILE.lvs...\n"
    "                    the parser's messages and the level doctor's findings:\n"
    "                    FILE:LINE: level NAME: error|warning: message, or with\n"
    "                    --json one JSON object per finding; exit status 1 when a\n"
    "                    level has an error\n"
    "  ld.exe --help     this text\n"
    "  ld.exe --version  the version\n"
    "\n"
    "NAME.lvs lies in the working folder, and so do the files written.\n"
    "Errors in a source are reported as NAME.lvs:LINE: ...; levels with errors are\n"
    "neither listed nor compiled, and the exit status is 1.\n"
    "\n"
    "Tiles: # wall  X steel wall  . floor  : dirt  * gem  O boulder  ~ water\n"
    "       E exit  @ player start  a-d keys  A-D doors  & creature\n"
    "The level source format is described in docs/docs.htm.\n";

int Usage(const std::string& problem) {
    std::cerr << "ld.exe: " << problem << "\n\n" << kUsage;
    return gdl::kToolUsage;
}

int Check(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg.starts_with("-") && arg != "-") {
            return Usage("unknown option " + std::string(arg) + " of check");
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.empty()) return Usage("check needs at least one source file");
    int status = gdl::CheckSources(files, json, std::cout, std::cerr);
    std::cout.flush();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) return Usage("no source named");
    std::string_view first = argv[1];
    const std::string help = std::string(gdl::kLevelToolBanner1) + "\n\n" + kUsage;
    if (gdl::AnswerHelpOrVersion(first == "/?" ? "--help" : first, "ld.exe", GDLKIT_VERSION, help,
                                 std::cout))
        return gdl::kToolOk;
    if (first == "check") return Check(argc, argv);
    if (first == "--text") {
        if (argc != 3) return Usage(argc < 3 ? "--text needs a source name" : "too many arguments");
        int status = gdl::EditSource(argv[2], true, std::cerr);
        std::cout.flush();
        return status;
    }
    const bool list = first.starts_with("-s") || first.starts_with("-S");
    const bool compile = first.starts_with("-m") || first.starts_with("-M");
    std::string name;
    if (list || compile) {
        name = first.size() > 2 ? std::string(first.substr(2)) : argc > 2 ? argv[2] : "";
        if (argc > (first.size() > 2 ? 2 : 3)) return Usage("too many arguments");
    } else if (first.starts_with("-")) {
        return Usage("unknown option " + std::string(first));
    } else {
        if (argc > 2) return Usage("too many arguments");
        name = first;
    }
    int status = list      ? gdl::ListSource("", name, std::cout, std::cerr)
                 : compile ? gdl::CompileSource("", name, std::cout, std::cerr)
                           : gdl::EditSource(name, false, std::cerr);
    std::cout.flush();
    return status;
}
