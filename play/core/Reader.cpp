#include "Reader.h"

#include <algorithm>

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "IniFile.h"
#include "LevelReference.h"
#include "LevelSetFile.h"
#include "LevelTool.h"
#include "LynxText.h"
#include "PathJoin.h"
#include "PlatformPath.h"
#include "Progression.h"
#include "StartUp.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

namespace {

constexpr char kSectionGdp[] = "^GDP";
constexpr char kSectionLevels[] = "Levels";
constexpr char kLevelSectionPrefix[] = "Level.";

int MusicNumber(long long value) {
    return value >= 0 && value <= 2 ? static_cast<int>(value) : 0;
}

// The display name of a compiled level: 17 codes at most from byte 9.
std::string DisplayName(std::string_view firstBytes) {
    if (firstBytes.size() <= 9) return {};
    return DecodeLynxText(firstBytes.substr(9), kCompiledNameCodes);
}

std::string LevelsValue(const IniFile& ini, long long n) {
    if (n < 1) return {};
    return ini.ReadString(kSectionLevels, std::to_string(n));
}

long long ProjectOffset(const IniFile& ini) {
    return ParseDecimal(ini.ReadString(kSectionGdp, "Offset", "0")).value_or(0);
}

// The set file opened for reading in parts. A file larger than any set the
// kit can make is no set (BadFormat), whatever its first bytes say.
Result<ReadOnlyFile> OpenSetFile(const std::string& path) {
    auto file = ReadOnlyFile::Open(path);
    if (file && file->Size() > kLargestLevelSetSize)
        return Error::BadFormat(path, 0, "larger than any level set");
    return file;
}

// Up to count bytes from offset, fewer where the file ends.
std::string ReadUpTo(const ReadOnlyFile& file, std::uint64_t offset, std::size_t count) {
    if (offset >= file.Size()) return {};
    const auto left = file.Size() - offset;
    return file.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(count, left)))
        .value_or("");
}

void ReadCopies(const ReadOnlyFile& file, PlayerState& s) {
    s.headerCopy = ReadUpTo(file, 0, kSetHeaderSize);
    s.tableCopy = ReadUpTo(file, kSetHeaderSize, kTableSize);
}

}  // namespace

SetKind KindOfPath(std::string_view path, SetKind current) {
    std::string ext = ToLowerAscii(ExtensionOf(path));
    if (ext == ".gdl") return SetKind::LevelSetFile;
    if (ext == ".gdp") return SetKind::Project;
    return current;
}

std::string LevelLabel(long long index) {
    return gdl::LevelLabel(index, 0);
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        auto u = static_cast<unsigned char>(ch);
        return ch == '/' || u < 0x20 || u == 0x7F;
    });
}

std::string LevelNameOfValue(std::string_view value) {
    return SplitReference(value).level;
}

std::string Reader::ProjectPath() const {
    return PlatformPath(JoinPath(c_.state.setFolder, c_.state.setFileName));
}

bool Reader::CopiesHoldSet() const {
    return c_.state.headerCopy.size() == kSetHeaderSize &&
           HasLevelSetSignature(c_.state.headerCopy);
}

std::string Reader::EntryBytes(long long n) const {
    if (n < 1 || n > static_cast<long long>(kTableEntries)) return {};
    std::size_t at = static_cast<std::size_t>(n - 1) * kTableEntrySize;
    if (at + kTableEntrySize > c_.state.tableCopy.size()) return {};
    return c_.state.tableCopy.substr(at, kTableEntrySize);
}

bool Reader::EntryPlayable(long long n) const {
    // The position is held in one byte: 256 never matches.
    if (n < 1 || n > static_cast<long long>(kMaxSetLevels)) return false;
    auto entry = ParseTableEntry(EntryBytes(n));
    return entry && entry->present && entry->position == n;
}

void Reader::ReadSetTitle() {
    PlayerState& s = c_.state;
    if (s.kind == SetKind::LevelSetFile) {
        auto file = OpenSetFile(PlatformPath(JoinPath(s.setFolder, s.setFileName)));
        if (!file) return;
        s.headerCopy = ReadUpTo(*file, 0, kSetHeaderSize);
        auto header = ParseHeader(s.headerCopy);
        if (!header) return;
        s.offset = header->hiddenCount;
        c_.view.Panel1.text = std::string(kGlimmerdeep) + ": " + header->name;
        s.tableCopy = ReadUpTo(*file, kSetHeaderSize, kTableSize);
        return;
    }
    std::string name = GetPrivateProfileString(kSectionGdp, "Name", "", ProjectPath());
    if (!name.empty()) c_.view.Panel1.text = std::string(kGlimmerdeep) + ": " + name;
}

void Reader::DisablePlay() {
    c_.view.SpeedButton1.enabled = false;
    c_.view.SpeedButton2.enabled = false;
    c_.view.Play1.enabled = false;
    c_.view.Next1.enabled = false;
}

void Reader::SetError(const char* what) {
    c_.state.levelReady = false;
    c_.view.Panel2.text = kStatusError;
    c_.view.Panel3.text = what;
    DisablePlay();
}

void Reader::EndOfSet() {
    c_.state.levelReady = false;
    c_.state.endOfGame = true;
    c_.view.Panel2.text = kEndOfGame;
    c_.view.Panel3.text = kNoMoreLevels;
    DisablePlay();
}

void Reader::ShowCode(const std::string& code, bool save) {
    c_.view.Panel8.text = "CODE: " + code;
    c_.view.ePW = code;
    if (save) Progression(c_, *this).SaveCode(c_.state.setFileName, code);
}

void Reader::PrepareLevel() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    s.label.clear();
    s.music = 0;
    // Nothing of an earlier level may be sent for this one.
    s.levelSize = 0;
    s.levelData.clear();
    s.levelName.clear();
    v.Panel1.text = kGlimmerdeep;
    v.Panel3.text.clear();
    v.Panel4.text.clear();
    if (!s.wizard) v.Panel8.text.clear();
    if (!s.levelReady) return;
    v.Panel3.text = kReadingLevel;
    if (s.kind == SetKind::LevelSetFile) {
        c_.ports.repaint();
        PrepareFromSetFile();
    } else {
        PrepareFromProject();
    }
}

void Reader::PrepareFromSetFile() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    auto file = OpenSetFile(PlatformPath(JoinPath(s.setFolder, s.setFileName)));
    if (file) {
        ReadCopies(*file, s);
    } else if (file.Err().Kind() == ErrorKind::BadFormat) {
        s.headerCopy.clear();
        s.tableCopy.clear();
    }
    auto header = ParseHeader(s.headerCopy);
    if (!CopiesHoldSet() || !header) {
        SetError(kInvalidLevelSet);
        return;
    }
    v.Panel1.text = std::string(kGlimmerdeep) + ": " + header->name;
    s.wizardCode = header->wizard;
    s.offset = header->hiddenCount;
    s.label = LevelLabel(s.index);
    v.Panel2.text = kPcLevel + s.label;
    long long n = s.Position();
    if (!EntryPlayable(n)) {
        EndOfSet();
        return;
    }
    auto entry = ParseTableEntry(EntryBytes(n));
    v.Panel4.text = entry->designer;
    if (!s.wizard || s.test) ShowCode(entry->password, !s.wizard && v.SavePassword1.checked);
    s.music = MusicNumber(entry->music);
    s.levelSize = entry->size;
    ReadLevelData(file ? &*file : nullptr);
}

void Reader::ReadLevelData(const ReadOnlyFile* file) {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    v.Panel3.text.clear();
    v.Label1.clear();
    s.levelData.clear();
    if (!file) {
        v.Panel2.text = kMissingFile;
        return;
    }
    if (!HasLevelSetSignature(s.headerCopy)) {
        v.Panel2.text = kBadFile;
        return;
    }
    // Every size is checked against what the file really holds, so a lying
    // table can neither make us read past its end nor allocate for it.
    const std::uint64_t fileSize = file->Size();
    std::uint64_t at = kFirstRecordOffset;
    const long long n = s.Position();
    for (long long k = 1; k < n && at <= fileSize; ++k) {
        auto entry = ParseTableEntry(EntryBytes(k));
        at += kLevelRecordSize + (entry ? entry->size : 0);
    }
    auto record = file->Read(at, kLevelRecordSize);
    if (!record) return BadData();
    auto parsed = ParseRecord(*record);
    v.Label1 = parsed ? parsed->hint : "";
    at += kLevelRecordSize;
    if (s.levelSize > kLargestCompiledLevelSize) return BadData();
    auto data = file->Read(at, s.levelSize);
    if (!data || !HasCompiledLevelMark(*data)) return BadData();
    s.levelData = std::move(*data);
    v.Panel3.text += DisplayName(std::string_view(s.levelData).substr(0, kCompiledReadSize));
}

// Data that is not a compiled level is never sent: the level's size is 0.
void Reader::BadData() {
    c_.view.Panel2.text = kBadData;
    c_.state.levelData.clear();
    c_.state.levelSize = 0;
}

void Reader::PrepareFromProject() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    IniFile ini = IniFile::Load(ProjectPath());
    std::string name = ini.ReadString(kSectionGdp, "Name");
    if (name.empty()) {
        SetError(kProjectNotFound);
        return;
    }
    v.Panel1.text = std::string(kGlimmerdeep) + ": " + name;
    s.wizardCode = ini.ReadString(kSectionGdp, "Wizard");
    s.offset = ProjectOffset(ini);
    s.label = LevelLabel(s.index);
    v.Panel2.text = kPcLevel + s.label;
    std::string value = LevelsValue(ini, s.Position());
    if (value.empty()) {
        EndOfSet();
        return;
    }
    LevelRef ref = SplitReference(value);
    s.levelName = ref.level;
    RunLevelTool(ref.source);
    const std::string section = kLevelSectionPrefix + value;
    v.Panel4.text = ini.ReadString(section, "Designer");
    std::string password = ini.ReadString(section, "Password");
    if (!password.empty() && (!s.wizard || s.test))
        ShowCode(password, !s.wizard && v.SavePassword1.checked);
    s.music = MusicNumber(ParseDecimal(ini.ReadString(section, "Music", "0")).value_or(0));
    v.Label1 = ini.ReadString(section, "Hint");
    ReadLevelData();
}

void Reader::ReadLevelData() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    v.Panel3.text.clear();
    // A level name that is no plain file name never becomes a path.
    std::optional<std::string> first;
    if (IsPlainFileName(s.levelName))
        first = ReadFilePrefix(PlatformPath(JoinPath(s.setFolder, s.levelName + ".bin")),
                               kCompiledReadSize);
    if (!first) {
        v.Panel2.text = kMissingFile;
        return;
    }
    if (HasCompiledLevelMark(*first)) {
        v.Panel3.text += DisplayName(*first);
    } else {
        v.Panel2.text = kBadFile;
    }
}

void Reader::RunLevelTool(const std::string& source) {
    if (!IsPlainFileName(source)) return;
    const std::string& folder = c_.state.playerFolder;
    if (!CheckToolFiles(c_.ports.prompts, folder, {kLevelToolExe, kLevelToolPif})) return;
    c_.ports.runner.RunTool(PlatformPath(JoinPath(folder, kLevelToolExe)), "-m" + source,
                            PlatformPath(c_.state.setFolder), false, true);
}

bool Reader::LevelExists() {
    PlayerState& s = c_.state;
    if (!s.levelReady) return false;
    if (s.kind == SetKind::LevelSetFile) return CopiesHoldSet() && EntryPlayable(s.Position());
    IniFile ini = IniFile::Load(ProjectPath());
    if (ini.ReadString(kSectionGdp, "Name").empty()) return false;
    s.offset = ProjectOffset(ini);
    return !LevelsValue(ini, s.Position()).empty();
}

void Reader::FindLevelByCode(const std::string& code) {
    PlayerState& s = c_.state;
    s.index = 1;
    s.levelReady = true;
    // The walk starts with this candidate, so it always looks at a level
    // unless the code typed is exactly that text.
    std::string candidate = "~~~~";
    long long k = 0;
    if (s.kind == SetKind::Project) {
        IniFile ini = IniFile::Load(ProjectPath());
        if (ini.ReadString(kSectionGdp, "Name").empty()) return;
        s.offset = ProjectOffset(ini);
        while (candidate != code) {
            std::string value = LevelsValue(ini, ++k);
            if (value.empty()) return;
            candidate = ini.ReadString(kLevelSectionPrefix + value, "Password");
        }
    } else {
        if (!CopiesHoldSet()) return;
        while (candidate != code) {
            if (++k > static_cast<long long>(kTableEntries)) return;
            auto entry = ParseTableEntry(EntryBytes(k));
            if (!entry || !entry->present) return;
            candidate = entry->password;
        }
    }
    s.index = k - s.offset;
}

}  // namespace gdl
