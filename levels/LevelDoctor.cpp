#include "LevelDoctor.h"

#include <algorithm>
#include <array>

namespace gdl {

namespace {

constexpr int kLetters = 4;

std::uint8_t Code(Tile t) {
    return static_cast<std::uint8_t>(t);
}

// Door or key letter 0-3, or -1.
int DoorLetter(std::uint8_t code) {
    return code >= Code(Tile::DoorA) && code <= Code(Tile::DoorD) ? code - Code(Tile::DoorA) : -1;
}
int KeyLetter(std::uint8_t code) {
    return code >= Code(Tile::KeyA) && code <= Code(Tile::KeyD) ? code - Code(Tile::KeyA) : -1;
}

std::string Where(std::size_t index, int width) {
    return "column " + std::to_string(static_cast<int>(index) % width + 1) + " of map row " +
           std::to_string(static_cast<int>(index) / width + 1);
}

class Checkup {
public:
    explicit Checkup(const SourceLevel& level)
        : level_(level), width_(level.width), height_(level.height) {}

    std::vector<Finding> Run() {
        if (width_ == 0 || height_ == 0 ||
            level_.tiles.size() != static_cast<std::size_t>(width_) * height_)
            return {};
        Census();
        if (first_[Code(Tile::Start)] && first_[Code(Tile::Exit)]) Reach();
        Border();
        Keys();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             return a.severity == Severity::Error && b.severity != Severity::Error;
                         });
        return std::move(findings_);
    }

private:
    void Add(const char* code, Severity severity, std::string message,
             std::optional<std::size_t> index = std::nullopt) {
        Finding f{level_.levelName, code, severity, std::move(message), std::nullopt};
        if (index)
            f.position =
                TilePosition{static_cast<int>(*index % width_), static_cast<int>(*index / width_)};
        findings_.push_back(std::move(f));
    }

    void Census() {
        for (std::size_t i = 0; i < level_.tiles.size(); ++i) {
            std::uint8_t t = level_.tiles[i];
            if (t >= kTileCount) continue;
            if (!first_[t]) first_[t] = i;
            ++counts_[t];
        }
    }

    // A creature's blast opens walls only where the creature can go: one
    // sealed in by steel, away from the player, opens nothing the player
    // could use. Everything but steel is taken as open to it.
    bool CreatureNearStart() const {
        const std::size_t n = level_.tiles.size();
        std::vector<bool> seen(n, false);
        std::vector<std::size_t> todo;
        for (std::size_t i = 0; i < n; ++i)
            if (level_.tiles[i] == Code(Tile::Start)) {
                seen[i] = true;
                todo.push_back(i);
            }
        while (!todo.empty()) {
            const std::size_t i = todo.back();
            todo.pop_back();
            if (level_.tiles[i] == Code(Tile::Creature)) return true;
            const int x = static_cast<int>(i % width_), y = static_cast<int>(i / width_);
            for (auto [ok, j] :
                 {std::pair{x > 0, i - 1}, std::pair{x + 1 < width_, i + 1},
                  std::pair{y > 0, i - width_}, std::pair{y + 1 < height_, i + width_}}) {
                if (!ok || seen[j] || level_.tiles[j] == Code(Tile::Steel)) continue;
                seen[j] = true;
                todo.push_back(j);
            }
        }
        return false;
    }

    bool Blocks(std::uint8_t t) const {
        if (t == Code(Tile::Steel)) return true;
        return t == Code(Tile::Wall) && !creature_;
    }

    // Flood from every start; a door waits until a key of its letter is
    // reached, then the doors that waited are entered.
    void Reach() {
        creature_ = counts_[Code(Tile::Creature)] > 0 && CreatureNearStart();
        const std::size_t n = level_.tiles.size();
        reached_.assign(n, false);
        std::array<bool, kLetters> open{};
        std::array<std::vector<std::size_t>, kLetters> waiting;
        std::vector<std::size_t> todo;
        auto enter = [&](std::size_t i) {
            if (reached_[i]) return;
            std::uint8_t t = level_.tiles[i];
            if (Blocks(t)) return;
            int door = DoorLetter(t);
            if (door >= 0 && !open[door]) {
                waiting[door].push_back(i);
                return;
            }
            reached_[i] = true;
            todo.push_back(i);
            int key = KeyLetter(t);
            if (key >= 0 && !open[key]) {
                open[key] = true;
                for (std::size_t d : waiting[key]) {
                    if (reached_[d]) continue;
                    reached_[d] = true;
                    todo.push_back(d);
                }
                waiting[key].clear();
            }
        };
        for (std::size_t i = 0; i < n; ++i)
            if (level_.tiles[i] == Code(Tile::Start)) enter(i);
        while (!todo.empty()) {
            std::size_t i = todo.back();
            todo.pop_back();
            // The level ends on the exit: nothing is reached through it.
            if (level_.tiles[i] == Code(Tile::Exit)) continue;
            const int x = static_cast<int>(i % width_), y = static_cast<int>(i / width_);
            if (x > 0) enter(i - 1);
            if (x + 1 < width_) enter(i + 1);
            if (y > 0) enter(i - width_);
            if (y + 1 < height_) enter(i + width_);
        }
        Judge();
    }

    void Judge() {
        bool exitReached = false;
        int gems = 0;
        std::optional<std::size_t> lostGem;
        int lost = 0;
        for (std::size_t i = 0; i < level_.tiles.size(); ++i) {
            std::uint8_t t = level_.tiles[i];
            if (t == Code(Tile::Exit) && reached_[i]) exitReached = true;
            if (t != Code(Tile::Gem)) continue;
            if (reached_[i]) {
                ++gems;
            } else {
                ++lost;
                if (!lostGem) lostGem = i;
            }
        }
        if (!exitReached)
            Add(kExitUnreachable, Severity::Error, "no exit 'E' can be reached from the start",
                first_[Code(Tile::Exit)]);
        if (gems < level_.quota) {
            std::string reachable =
                lost == 0
                    ? std::to_string(gems) + (gems == 1 ? " gem" : " gems")
                    : std::to_string(gems) + " of the " + std::to_string(gems + lost) + " gems";
            Add(kQuotaUnreachable, Severity::Error,
                "quota " + std::to_string(level_.quota) + " cannot be met: only " + reachable +
                    " can be reached");
        } else if (lost > 0) {
            Add(kGemsUnreachable, Severity::Warning,
                std::to_string(lost) + (lost == 1 ? " gem cannot" : " gems cannot") +
                    " be reached, the first at " + Where(*lostGem, width_),
                lostGem);
        }
    }

    void Border() {
        for (std::size_t i = 0; i < level_.tiles.size(); ++i) {
            const int x = static_cast<int>(i % width_), y = static_cast<int>(i / width_);
            if (x != 0 && y != 0 && x != width_ - 1 && y != height_ - 1) continue;
            std::uint8_t t = level_.tiles[i];
            if (t == Code(Tile::Wall) || t == Code(Tile::Steel)) continue;
            Add(kOpenBorder, Severity::Warning,
                "the map's edge is open at " + Where(i, width_) +
                    ": it should be wall '#' or steel 'X'",
                i);
            return;
        }
    }

    void Keys() {
        for (int k = 0; k < kLetters; ++k) {
            const std::uint8_t door = static_cast<std::uint8_t>(Code(Tile::DoorA) + k);
            const std::uint8_t key = static_cast<std::uint8_t>(Code(Tile::KeyA) + k);
            const char upper = static_cast<char>('A' + k), lower = static_cast<char>('a' + k);
            if (counts_[door] > 0 && counts_[key] == 0)
                Add(kDoorWithoutKey, Severity::Warning,
                    std::string("door '") + upper + "' has no key '" + lower + "' on the map",
                    first_[door]);
            if (counts_[key] > 0 && counts_[door] == 0)
                Add(kKeyWithoutDoor, Severity::Warning,
                    std::string("key '") + lower + "' has no door '" + upper + "' on the map",
                    first_[key]);
        }
    }

    const SourceLevel& level_;
    const int width_, height_;
    std::array<std::optional<std::size_t>, kTileCount> first_{};
    std::array<int, kTileCount> counts_{};
    bool creature_ = false;
    std::vector<bool> reached_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> Doctor(const SourceLevel& level) {
    return Checkup(level).Run();
}

std::vector<Finding> DoctorLevel(const LevelDocument& doc, std::size_t level) {
    if (doc.Outline(level).mapTooLarge) return {};
    SourceLevel source = doc.AsSourceLevel(level);
    const bool whole =
        !source.tiles.empty() && std::none_of(source.tiles.begin(), source.tiles.end(),
                                              [](std::uint8_t t) { return t >= kTileCount; });
    return whole ? Doctor(source) : std::vector<Finding>{};
}

bool HasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity == Severity::Error; });
}

}  // namespace gdl
