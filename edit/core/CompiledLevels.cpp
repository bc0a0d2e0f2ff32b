#include "CompiledLevels.h"

#include <set>
#include <utility>

#include "FileUtil.h"
#include "LevelInfo.h"
#include "LevelTool.h"
#include "PathJoin.h"
#include "ToolRunner.h"

namespace gdl {

void CompiledLevels::Reset(std::vector<BuildEntry> entries) {
    entries_ = std::move(entries);
}

std::string CompiledLevels::PathOf(const BuildEntry& e) const {
    return JoinPath(folder_, e.ref.level + ".bin");
}

void CompiledLevels::CompileIfNeeded(BuildEntry& e) {
    const std::string& source = e.ref.source;
    if (source.empty() || !IsPlainName(source) || NamesAFolder(source)) return;
    if (compiledSources_.count(source) && e.plain && e.compiled && StampOf(PathOf(e)) == e.compiled)
        return;
    Compile(source);
}

// Which files a compile wrote is told by their stamps: the folder is
// scanned once before the first compile and once at the end, and each
// compile looks only at the files of its own source's entries.
void CompiledLevels::Compile(const std::string& source) {
    if (!before_) before_ = CompiledLevelFiles(folder_);
    std::map<BuildEntry*, std::optional<FileStamp>> own;
    for (BuildEntry& other : entries_)
        if (other.ref.source == source && other.plain) own[&other] = StampOf(PathOf(other));
    tool_.Compile(source, folder_);
    compiledSources_[source] = toolOutput_ ? toolOutput_->LastErrorOutput() : std::string();
    for (auto& [other, old] : own) {
        other->compiled = StampOf(PathOf(*other));
        other->madeByCompile = other->compiled && other->compiled != old;
    }
}

bool CompiledLevels::HasNoSourceFile(const BuildEntry& e) const {
    if (e.ref.source.empty()) return false;
    if (NamesAFolder(e.ref.source)) return true;
    return !e.madeByCompile && !FileExists(JoinPath(folder_, e.ref.source + ".lvs"));
}

const std::string* CompiledLevels::ToolOutputOf(const std::string& source) const {
    auto output = compiledSources_.find(source);
    return output == compiledSources_.end() ? nullptr : &output->second;
}

void CompiledLevels::DeleteCompiledLevels() const {
    std::set<std::string> names;
    if (before_) {
        for (const auto& [name, stamp] : CompiledLevelFiles(folder_)) {
            auto old = before_->find(name);
            if (old == before_->end() || old->second != stamp) names.insert(name);
        }
    }
    for (const BuildEntry& e : entries_)
        if (!e.ref.source.empty() && e.plain) names.insert(e.ref.level + ".bin");
    for (const BuildEntry& e : entries_)
        if (e.ref.source.empty() && e.plain) names.erase(e.ref.level + ".bin");
    for (const std::string& name : names) DeleteFileQuiet(JoinPath(folder_, name));
}

void CompiledLevels::DeleteListingsOfMissingSources() const {
    for (const BuildEntry& e : entries_) {
        const std::string& source = e.ref.source;
        if (source.empty() || !e.plain) continue;
        if (NamesAFolder(source) || !FileExists(JoinPath(folder_, source + ".lvs")))
            DeleteLevelInfoFiles(folder_, source);
    }
}

}  // namespace gdl
