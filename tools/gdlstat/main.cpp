// gdlstat.exe: a summary of a level list, read from standard input.
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "LevelListStats.h"
#include "TextUtil.h"

namespace {

constexpr char kUsage[] =
    "Usage: gdlstat.exe -g < LIST > SUMMARY\n"
    "\n"
    "Reads a level list as the editor's build writes it (the table after the line\n"
    "starting with \"   --------\", an empty line and a line of 106 hyphens) and\n"
    "writes a summary: seven heading lines, then the number of levels, total and\n"
    "average time, the longest and shortest level, the quota figures, passwords,\n"
    "the sizes used and the levels per designer.\n"
    "Exit status: 0 done, 1 bad input, 2 usage error.\n";

// Input beyond this is not a level list; refuse it rather than hold it.
constexpr std::size_t kMaxInputBytes = 16u << 20;

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::string_view arg = argc > 1 ? argv[1] : "";
    if (gdl::AnswerHelpOrVersion(arg, "gdlstat.exe", GDLKIT_VERSION, kUsage, std::cout)) return 0;
    if (argc != 2 || (arg != "-g" && arg != "-G")) {
        std::cerr << "gdlstat.exe: expected the option -g\n\n" << kUsage;
        return 2;
    }
    std::string input;
    char buffer[65536];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
        input.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
        if (input.size() > kMaxInputBytes) {
            std::cerr << "gdlstat.exe: the input is too large for a level list\n";
            return 1;
        }
    }
    auto list = gdl::ReadLevelList(gdl::SplitLines(input));
    if (!list.ok()) {
        std::cerr << "gdlstat.exe: " << list.error << '\n';
        return 1;
    }
    for (const auto& line : gdl::SummarizeLevelList(list.entries)) std::cout << line << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}
