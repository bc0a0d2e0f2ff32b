#include "LevelPreview.h"

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LevelReference.h"
#include "PathJoin.h"

namespace gdl {

namespace {

namespace fs = std::filesystem;

// Compiled levels are small; anything bigger is not one.
constexpr std::uintmax_t kMaxCompiledBytes = 64u << 10;

// A name is joined to the project folder: it must stay a file name there.
bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

LevelPreviews::Cached& LevelPreviews::Source(const std::string& folder, const std::string& source) {
    const std::string path = JoinPath(folder, source + ".lvs");
    std::error_code ec;
    const auto stamp = fs::last_write_time(path, ec);
    const auto size = ec ? 0 : fs::file_size(path, ec);
    Cached& c = sources_[path];
    if (c.doc && !ec && c.stamp == stamp && c.size == size) return c;
    c = Cached{};
    c.stamp = stamp;
    c.size = size;
    auto doc = LevelDocument::FromFile(path);
    if (doc) {
        c.doc = std::move(doc.Value());
    } else {
        c.problem = doc.Err().Message();
    }
    return c;
}

LevelPreview LevelPreviews::OfSourceLevel(const std::string& folder, const std::string& source,
                                          const std::string& level) {
    if (!PlainName(source)) return {{}, "no source " + source};
    Cached& c = Source(folder, source);
    if (!c.doc) return {{}, c.problem};
    const int index = c.doc->FindLevel(level);
    if (index < 0) return {{}, source + ".lvs holds no level " + level};
    return {c.doc->Tiles(static_cast<std::size_t>(index)), {}};
}

LevelPreview LevelPreviews::OfCompiledLevel(const std::string& folder,
                                            const std::string& level) const {
    if (!PlainName(level)) return {{}, "no level " + level};
    const std::string path = JoinPath(folder, level + ".bin");
    auto size = FileSize(path);
    if (!size) return {{}, level + ".bin could not be found"};
    if (*size > kMaxCompiledBytes) return {{}, level + ".bin is not a compiled level"};
    auto bytes = ReadFileBytes(path);
    std::string error;
    auto decoded = bytes ? DecodeCompiledLevel(*bytes, &error) : std::nullopt;
    if (!decoded) return {{}, level + ".bin: " + (bytes ? error : "could not be read")};
    return {TileGrid{decoded->header.width, decoded->header.height, std::move(decoded->tiles)}, {}};
}

LevelPreview LevelPreviews::OfReference(const std::string& folder, const std::string& reference) {
    const LevelRef r = SplitReference(reference);
    if (r.source.empty()) return OfCompiledLevel(folder, r.level);
    return OfSourceLevel(folder, r.source, r.level);
}

std::vector<std::string> LevelPreviews::ProblemsOf(const std::string& folder,
                                                   const std::string& source) {
    if (!PlainName(source)) return {"no source " + source};
    Cached& c = Source(folder, source);
    if (!c.doc) return {c.problem};
    if (!c.problems) {
        c.problems.emplace();
        for (const auto& p : SourceProblems(*c.doc, &c.doctor)) c.problems->push_back(p.text);
    }
    return *c.problems;
}

}  // namespace gdl
