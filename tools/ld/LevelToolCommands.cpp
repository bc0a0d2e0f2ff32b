#include "LevelToolCommands.h"

#include <filesystem>
#include <ostream>

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LevelTool.h"
#include "PathJoin.h"
#include "SourceReader.h"
#include "TextUtil.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

constexpr char kProgram[] = "ld.exe: ";

void PrintBanner(std::ostream& out) {
    out << kLevelToolBanner1 << '\n' << kLevelToolBanner2 << '\n' << '\n';
}

std::string Plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::optional<std::string> FindNoCase(const std::string& folder, const std::string& fileName) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (EqualsNoCase(name, fileName)) return name;
    }
    return std::nullopt;
}

// Parses the source and reports its messages, then writes the banner that
// opens a listing or a compile; nullopt when the source cannot be read.
std::optional<std::pair<LoadedSource, ParsedSource>> ReadAndParse(const std::string& folder,
                                                                  const std::string& argument,
                                                                  std::ostream& out,
                                                                  std::ostream& err) {
    std::string problem;
    auto name = SourceNameFromArgument(argument, &problem);
    if (!name) {
        err << kProgram << problem << '\n';
        return std::nullopt;
    }
    auto source = LoadSource(folder, *name, &problem);
    if (!source) {
        err << kProgram << problem << '\n';
        return std::nullopt;
    }
    ParsedSource parsed = ParseLevelSource(source->text);
    PrintSourceMessages(source->fileName, parsed, err);
    PrintBanner(out);
    return std::make_pair(std::move(*source), std::move(parsed));
}

std::string HeaderSummary(
    const std::string& fileName,
    const std::vector<std::pair<const SourceLevel*, CompiledLevelFile>>& done) {
    std::string text = "; GDLKIT level tool: levels compiled from " + fileName + "\n";
    text += "; file          size   time   quota   bytes  sum\n";
    for (const auto& [level, file] : done) {
        auto sum = static_cast<unsigned char>(file.bytes.back());
        static constexpr char kHex[] = "0123456789ABCDEF";
        text += LeftAlign(level->levelName + ".bin", 12) + "  " +
                LeftAlign(SizeText(level->width, level->height), 5) + "  " +
                RightAlign(TimeText(level->minutes, level->seconds), 5) + "  " +
                RightAlign(std::to_string(level->quota), 5) + "  " +
                RightAlign(std::to_string(file.bytes.size()), 6) + "  " + kHex[sum >> 4] +
                kHex[sum & 15] + "\n";
    }
    return text;
}

}  // namespace

std::optional<std::string> SourceNameFromArgument(const std::string& argument,
                                                  std::string* problem) {
    std::string name = argument;
    const std::size_t ext = std::char_traits<char>::length(kSourceExtension);
    if (name.size() > ext && EqualsNoCase(name.substr(name.size() - ext), kSourceExtension))
        name.resize(name.size() - ext);
    auto fail = [&](std::string text) -> std::optional<std::string> {
        if (problem) *problem = std::move(text);
        return std::nullopt;
    };
    if (TrimBlanks(name).empty()) return fail("no source name given");
    if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos || name == "." ||
        name == "..")
        return fail("the source " + QuoteForMessage(argument) +
                    " must be a name in the working folder, without a folder");
    return name;
}

std::optional<LoadedSource> LoadSource(const std::string& folder, const std::string& name,
                                       std::string* problem) {
    auto fail = [&](std::string text) -> std::optional<LoadedSource> {
        if (problem) *problem = std::move(text);
        return std::nullopt;
    };
    std::string fileName = name + kSourceExtension;
    std::error_code ec;
    if (!fs::exists(JoinPath(folder, fileName), ec)) {
        auto found = FindNoCase(folder, fileName);
        if (!found) return fail(fileName + " not found in the working folder");
        fileName = *found;
    }
    auto text = ReadSourceFile(JoinPath(folder, fileName), fileName);
    if (!text) return fail(text.Err().Message());
    return LoadedSource{fileName, std::move(text.Value())};
}

void PrintSourceMessages(const std::string& fileName, const ParsedSource& parsed,
                         std::ostream& err) {
    for (const auto& m : parsed.messages) {
        err << fileName << ':' << m.line << ": " << (m.warning ? "warning: " : "error: ") << m.text
            << '\n';
    }
    if (parsed.droppedMessages > 0)
        err << fileName << ": " << Plural(parsed.droppedMessages, "more message") << " not shown\n";
}

int ListSource(const std::string& folder, const std::string& argument, std::ostream& out,
               std::ostream& err) {
    auto read = ReadAndParse(folder, argument, out, err);
    if (!read) return kToolErrors;
    const auto& [source, parsed] = *read;
    out << kListingHeading << '\n' << kListingRule << '\n';
    std::size_t tiles = 0, bytes = 0;
    for (const auto& level : parsed.levels) {
        CompiledLevelFile compiled = CompileLevel(level);
        tiles += compiled.tileCount;
        bytes += compiled.bodySize;
        out << ListingLine(level, compiled) << '\n';
    }
    out << '\n' << source.fileName << ": " << Plural(parsed.levels.size(), "level") << ", ";
    out << CompressionText(tiles, bytes) << " in all";
    if (parsed.HasErrors()) out << "; " << Plural(parsed.errorCount, "error") << " in the source";
    out << ".\n";
    return parsed.HasErrors() ? kToolErrors : kToolOk;
}

int CompileSource(const std::string& folder, const std::string& argument, std::ostream& out,
                  std::ostream& err) {
    auto read = ReadAndParse(folder, argument, out, err);
    if (!read) return kToolErrors;
    const auto& [source, parsed] = *read;
    out << "Compiling " << source.fileName << ":\n\n";
    bool failed = parsed.HasErrors();
    // An old file of a level that no longer compiles must not be mistaken for it.
    for (const auto& name : parsed.failedLevelNames)
        DeleteFileQuiet(JoinPath(folder, name + ".bin"));

    std::vector<std::pair<const SourceLevel*, CompiledLevelFile>> done;
    for (const auto& level : parsed.levels) {
        CompiledLevelFile compiled = CompileLevel(level);
        const std::string fileName = level.levelName + ".bin";
        if (!WriteFileAtomic(JoinPath(folder, fileName), compiled.bytes)) {
            err << kProgram << "cannot write " << fileName << '\n';
            failed = true;
            continue;
        }
        out << "   " << LeftAlign(fileName, 12) << "  "
            << RightAlign(std::to_string(compiled.bytes.size()), 6) << " bytes  "
            << CompressionText(compiled.tileCount, compiled.bodySize) << '\n';
        done.emplace_back(&level, std::move(compiled));
    }
    if (!WriteFileAtomic(JoinPath(folder, kHeaderSummaryFile),
                         HeaderSummary(source.fileName, done))) {
        err << kProgram << "cannot write " << kHeaderSummaryFile << '\n';
        failed = true;
    }
    out << '\n' << Plural(done.size(), "level") << " compiled";
    if (parsed.HasErrors())
        out << "; " << Plural(parsed.errorCount, "error") << " in the source, "
            << "levels with errors were not compiled";
    out << ".\n";
    return failed ? kToolErrors : kToolOk;
}

}  // namespace gdl
