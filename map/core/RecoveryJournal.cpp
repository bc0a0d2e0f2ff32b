#include "RecoveryJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>

#include "Environment.h"
#include "FileUtil.h"
#include "LevelSource.h"

namespace gdl {

namespace {

constexpr std::string_view kMagic = "GDLKIT recovery journal 1\n";
constexpr char kSource = 'S', kBase = 'B', kChange = 'C';
constexpr int kSlots = 16;
// A record: type, payload length (u32), payload, check sum (u32) of all before it.
constexpr std::size_t kRecordOverhead = 1 + 4 + 4;

std::uint32_t Crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes) c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint64_t GetLe(std::string_view s, std::size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::string MakeRecord(char type, std::string_view payload) {
    std::string r(1, type);
    PutU32(r, static_cast<std::uint32_t>(payload.size()));
    r.append(payload);
    PutU32(r, Crc32(r));
    return r;
}

// A change: time (u64), at (u32), removed (u32), then the inserted bytes.
std::string ChangeRecord(std::int64_t time, std::size_t at, std::size_t removed,
                         std::string_view inserted) {
    std::string p;
    PutU64(p, static_cast<std::uint64_t>(time));
    PutU32(p, static_cast<std::uint32_t>(at));
    PutU32(p, static_cast<std::uint32_t>(removed));
    p.append(inserted);
    return MakeRecord(kChange, p);
}

bool WriteAllFd(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The journal's name from the source's path: the same source, the same slots.
std::string SlotName(const std::string& source, int slot) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::uint64_t h = 1469598103934665603ull;
    for (char c : source) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::string name;
    for (int i = 15; i >= 0; --i) name += kHex[(h >> (4 * i)) & 15];
    return name + "-" + std::to_string(slot) + ".journal";
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    auto full = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : full.string();
}

}  // namespace

Result<JournalContents> ReadJournal(std::string_view bytes) {
    if (!bytes.starts_with(kMagic)) return Error::BadFormat("", 0, "is not a recovery journal");
    JournalContents j;
    bool haveSource = false, haveBase = false;
    std::size_t at = kMagic.size();
    while (at < bytes.size()) {
        if (bytes.size() - at < kRecordOverhead) {
            j.cutShort = true;
            break;
        }
        const char type = bytes[at];
        const std::uint64_t length = GetLe(bytes, at + 1, 4);
        if (length > bytes.size() - at - kRecordOverhead) {
            j.cutShort = true;
            break;
        }
        const std::string_view whole = bytes.substr(at, 5 + length);
        if (GetLe(bytes, at + 5 + length, 4) != Crc32(whole)) {
            j.cutShort = true;
            break;
        }
        const std::string_view payload = whole.substr(5);
        at += kRecordOverhead + length;
        if (type == kSource && !haveSource) {
            j.source = payload;
            haveSource = true;
        } else if (type == kBase && haveSource && !haveBase) {
            if (payload.size() > kMaxSourceBytes) break;
            j.base = payload;
            j.bytes = j.base;
            haveBase = true;
        } else if (type == kChange && haveBase && payload.size() >= 16) {
            const auto time = static_cast<std::int64_t>(GetLe(payload, 0, 8));
            const std::uint64_t where = GetLe(payload, 8, 4), removed = GetLe(payload, 12, 4);
            const std::string_view inserted = payload.substr(16);
            if (where > j.bytes.size() || removed > j.bytes.size() - where ||
                j.bytes.size() - removed + inserted.size() > kMaxSourceBytes) {
                j.cutShort = true;
                break;
            }
            j.bytes.replace(where, removed, inserted);
            j.time = time;
            ++j.changes;
        } else {
            j.cutShort = true;
            break;
        }
    }
    if (!haveBase) return Error::BadFormat("", 0, "the recovery journal holds no text");
    return j;
}

std::string RecoveryJournal::DefaultFolder() {
    const std::string state = UserFolder("XDG_STATE_HOME", ".local/state");
    return state.empty() ? std::string() : state + "recovery/";
}

RecoveryJournal::RecoveryJournal(std::string folder) : folder_(WithTrailingSlash(folder)) {}

RecoveryJournal::~RecoveryJournal() {
    Close();
}

std::vector<FoundJournal> RecoveryJournal::Orphans(const std::string& source) const {
    std::vector<FoundJournal> found;
    const std::string key = Canonical(source);
    for (int slot = 0; slot < kSlots && !folder_.empty(); ++slot) {
        const std::string file = folder_ + SlotName(key, slot);
        if (file == file_) continue;
        UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!fd) continue;
        // Held by a running GDLMap: its changes are its own.
        if (::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) continue;
        auto bytes = ReadFileLimited(file, 4 * kMaxSourceBytes);
        if (!bytes) continue;
        auto contents = ReadJournal(*bytes);
        if (!contents || contents->source != key) continue;
        // Killed before its first change was written: nothing to offer.
        if (contents->changes == 0) {
            DeleteFileQuiet(file);
            continue;
        }
        found.push_back({file, std::move(contents.Value())});
    }
    std::sort(found.begin(), found.end(), [](const FoundJournal& a, const FoundJournal& b) {
        return a.contents.time > b.contents.time;
    });
    return found;
}

void RecoveryJournal::Delete(const FoundJournal& found) {
    DeleteFileQuiet(found.file);
}

void RecoveryJournal::Start(const std::string& source, std::string_view base) {
    Close();
    source_ = Canonical(source);
    last_ = std::string(base);
}

Result<void> RecoveryJournal::Open(std::int64_t now) {
    (void)now;
    if (folder_.empty()) return Error::Caller("no folder for the recovery journal");
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    ::chmod(folder_.c_str(), 0700);
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string file = folder_ + SlotName(source_, slot);
        UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        // A journal left here by a GDLMap that is gone is kept for its offer:
        // this one takes a free slot.
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0 || st.st_size != 0) continue;
        const std::string head =
            std::string(kMagic) + MakeRecord(kSource, source_) + MakeRecord(kBase, last_);
        if (!WriteAllFd(fd.Get(), head)) {
            DeleteFileQuiet(file);
            return Error::System("cannot write " + file, errno);
        }
        fd_ = std::move(fd);
        file_ = file;
        return {};
    }
    return Error::Caller("every recovery journal slot of " + source_ + " is taken");
}

Result<void> RecoveryJournal::Record(std::string_view bytes, std::int64_t now) {
    if (bytes == last_) return {};
    if (!fd_) {
        auto opened = Open(now);
        if (!opened) return opened;
    }
    // The change as one replaced range: what the texts do not share at
    // either end.
    const std::size_t common = std::min(bytes.size(), last_.size());
    std::size_t head = 0;
    while (head < common && bytes[head] == last_[head]) ++head;
    std::size_t tail = 0;
    while (tail < common - head && bytes[bytes.size() - 1 - tail] == last_[last_.size() - 1 - tail])
        ++tail;
    const std::size_t removed = last_.size() - head - tail;
    const std::string_view inserted = bytes.substr(head, bytes.size() - head - tail);
    if (!WriteAllFd(fd_.Get(), ChangeRecord(now, head, removed, inserted)))
        return Error::System("cannot write " + file_, errno);
    last_.replace(head, removed, inserted);
    return {};
}

void RecoveryJournal::Clear(std::string_view newBase) {
    Close();
    last_ = std::string(newBase);
}

void RecoveryJournal::Close() {
    if (!file_.empty()) DeleteFileQuiet(file_);
    file_.clear();
    fd_.Reset();
}

}  // namespace gdl
