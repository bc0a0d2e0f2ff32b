// The level source document: any bytes load (or are refused whole); a run of
// edits drawn from the input's hash leaves bytes that the parser reads back
// as the levels the document holds; a deletion takes exactly one level and
// keeps the others in order; undoing everything gives the input back byte
// for byte, and redoing everything the edited bytes again. The file's watch
// sees the edited bytes written by another program, and not its own.
#include <random>

#include "FileUtil.h"
#include "FuzzSupport.h"
#include "LevelDocument.h"
#include "LevelEdits.h"
#include "SourceFile.h"

namespace {

using gdl::EditCommand;
using gdl::LevelDocument;
using gdl::Result;
using gdl::Tile;
using gdl::TilePoint;

void Edit(LevelDocument& doc, std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::size_t count = doc.LevelCount();
    const std::size_t level =
        count == 0 ? 0 : static_cast<std::size_t>(pick(static_cast<int>(count)));
    auto tile = [&] { return static_cast<Tile>(pick(gdl::kTileCount)); };
    auto point = [&] { return TilePoint{pick(24) - 2, pick(24) - 2}; };
    Result<EditCommand> command = EditCommand{};
    switch (pick(count == 0 ? 1 : 17)) {
        case 0:
            command = gdl::AddLevel(doc, static_cast<std::size_t>(pick(4)), "", 2 + pick(20),
                                    2 + pick(20));
            break;
        case 1: {
            TilePoint points[4] = {point(), point(), point(), point()};
            command =
                gdl::PencilStroke(doc, level, points, tile(), 1 + static_cast<unsigned>(pick(2)));
            break;
        }
        case 2:
            command = gdl::DrawLine(doc, level, point(), point(), tile());
            break;
        case 3:
            command = gdl::DrawRectangle(doc, level, point(), point(), tile(), pick(2) == 0);
            break;
        case 4:
            command = gdl::FloodFill(doc, level, point(), tile());
            break;
        case 5:
            command = gdl::ReplaceTiles(doc, pick(2) == 0 ? std::optional(level) : std::nullopt,
                                        tile(), tile());
            break;
        case 6:
            command = gdl::PasteRegion(doc, level, point(),
                                       gdl::CopyRegion(doc, level, point(), point()));
            break;
        case 7:
            command = gdl::ResizeMap(doc, level, 1 + pick(30), 1 + pick(30),
                                     static_cast<gdl::ResizeAnchor>(pick(9)), tile());
            break;
        case 8:
            command =
                gdl::RenameLevel(doc, level, pick(2) == 0 ? "FUZZ" : "L" + std::to_string(pick(9)));
            break;
        case 9:
            command = gdl::SetLongName(doc, level, pick(2) == 0 ? "A Fuzzed Cave" : "Q?");
            break;
        case 10:
            command = gdl::SetTime(doc, level, pick(120), pick(70));
            break;
        case 11:
            command = gdl::SetQuota(doc, level, pick(70000));
            break;
        case 12:
            command = gdl::DuplicateLevel(doc, level);
            break;
        case 13: {
            command = gdl::DeleteLevel(doc, level);
            if (!command) break;
            std::vector<std::string> others;
            for (std::size_t i = 0; i < count; ++i)
                if (i != level) others.push_back(doc.Level(i).name);
            doc.Apply(std::move(command).Value());
            FUZZ_CHECK(doc.LevelCount() == count - 1);
            for (std::size_t i = 0; i < others.size(); ++i)
                FUZZ_CHECK(doc.Level(i).name == others[i]);
            return;
        }
        case 14:
            command = gdl::MoveLevel(doc, level, pick(2) == 0 ? -1 : 1);
            break;
        case 15:
            doc.Undo();
            return;
        default:
            doc.MarkClean();
            return;
    }
    if (command) doc.Apply(std::move(command).Value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = gdlfuzz::Bytes(data, size);
    auto loaded = LevelDocument::FromBytes(input);
    if (!loaded) return 0;
    LevelDocument doc = std::move(loaded).Value();
    FUZZ_CHECK(doc.Bytes() == input);
    std::seed_seq seed(input.begin(), input.end());
    std::mt19937 rng(seed);
    // Every structural edit parses the whole source again; big inputs get few
    // edits so the run keeps its pace (the parser's own target has them).
    const int edits = size > 16384 ? 2 : 12;
    for (int i = 0; i < edits; ++i) Edit(doc, rng);

    const std::string edited = doc.Bytes();
    auto again = LevelDocument::FromBytes(edited);
    FUZZ_CHECK(again.Ok());
    FUZZ_CHECK(again->LevelCount() == doc.LevelCount());
    for (std::size_t i = 0; i < doc.LevelCount(); ++i) {
        const auto& held = doc.Level(i);
        const auto& read = again->Level(i);
        FUZZ_CHECK(held.name == read.name && held.longName == read.longName);
        FUZZ_CHECK(held.minutes == read.minutes && held.seconds == read.seconds);
        FUZZ_CHECK(held.quota == read.quota && held.hasErrors == read.hasErrors);
        FUZZ_CHECK(doc.Tiles(i).tiles == again->Tiles(i).tiles);
    }
    // The document's own reading of the maps is the parser's.
    std::size_t good = 0;
    for (std::size_t i = 0; i < doc.LevelCount(); ++i) {
        if (doc.Level(i).hasErrors) continue;
        const auto& parsed = again->Parsed().levels.at(good++);
        const auto tiles = doc.Tiles(i);
        FUZZ_CHECK(parsed.levelName == doc.Level(i).name);
        FUZZ_CHECK(parsed.width == tiles.width && parsed.height == tiles.height);
        FUZZ_CHECK(parsed.tiles == tiles.tiles);
    }
    FUZZ_CHECK(good == again->Parsed().levels.size());
    // The watch: our own bytes are no change, another program's are.
    const std::string path = gdlfuzz::WriteScratch("watched.lvs", input);
    gdl::SourceFile file;
    FUZZ_CHECK(file.Read(path).Ok());
    FUZZ_CHECK(file.Compare() == gdl::DiskState::Same);
    if (edited != input) {
        FUZZ_CHECK(gdl::WriteFileAtomic(path, edited));
        FUZZ_CHECK(file.Compare() == gdl::DiskState::Changed);
        file.Adopt();
        FUZZ_CHECK(file.Compare() == gdl::DiskState::Same);
    }
    const std::size_t steps = doc.UndoCount();
    while (doc.CanUndo()) doc.Undo();
    FUZZ_CHECK(doc.Bytes() == input);
    for (std::size_t i = 0; i < steps; ++i) doc.Redo();
    FUZZ_CHECK(doc.Bytes() == edited);
    return 0;
}
