#include "BuildFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "FileUtil.h"
#include "LevelReference.h"
#include "PathJoin.h"

namespace gdl {

bool OutputFile::Create(const std::string& outputPath) {
    errno = 0;
    const int fd = CreateFileBeside(outputPath, path_);
    if (fd >= 0) {
        file_.reset(::fdopen(fd, "wb"));
        if (!file_) ::close(fd);
    }
    if (!file_) Fail(errno != 0 ? std::strerror(errno) : "it cannot be created");
    return !failed_;
}

bool OutputFile::Refuse() {
    Fail("it is not a file, and only a file is replaced");
    return false;
}

void OutputFile::Fail(std::string reason) {
    if (!failed_) reason_ = std::move(reason);
    failed_ = true;
}

void OutputFile::FailWithErrno() {
    Fail(errno != 0 ? std::strerror(errno) : "the write failed");
}

void OutputFile::Write(std::string_view bytes) {
    if (!file_ || failed_) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) FailWithErrno();
}

void OutputFile::Close() {
    if (!file_) return;
    errno = 0;
    if (std::fflush(file_.get()) != 0) FailWithErrno();
    if (!failed_ && ::fsync(::fileno(file_.get())) != 0) FailWithErrno();
    if (std::fclose(file_.release()) != 0) FailWithErrno();
}

bool IsPlainName(std::string_view name) {
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp{st.st_ino, st.st_size, static_cast<std::int64_t>(st.st_mtim.tv_sec),
                     st.st_mtim.tv_nsec};
}

bool NamesAFolder(std::string_view source) {
    return source == "." || source == "..";
}

std::map<std::string, FileStamp> CompiledLevelFiles(const std::string& folder) {
    std::map<std::string, FileStamp> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".bin") != 0) continue;
        if (auto stamp = StampOf(JoinPath(folder, name))) files[name] = *stamp;
    }
    return files;
}

bool IsReadable(const std::string& path) {
    return ReadFilePrefix(path, 1).has_value();
}

std::optional<std::string> InputAtOutput(const std::string& outputPath, const ProjectModel& model) {
    std::error_code ec;
    const std::filesystem::path output(outputPath);
    if (!std::filesystem::exists(output, ec)) return std::nullopt;
    const std::string& folder = model.folder;
    std::vector<std::string> inputs{model.FullPath()};
    for (const auto& source : model.sources)
        if (!source.empty()) inputs.push_back(JoinPath(folder, source + ".lvs"));
    for (const auto& level : model.levels) {
        const LevelRef ref = SplitReference(level.reference);
        if (!ref.source.empty()) inputs.push_back(JoinPath(folder, ref.source + ".lvs"));
        if (ref.source.empty() && IsPlainName(ref.level))
            inputs.push_back(JoinPath(folder, ref.level + ".bin"));
    }
    for (const std::string& input : inputs) {
        if (std::filesystem::equivalent(output, input, ec) && !ec) return input;
    }
    return std::nullopt;
}

}  // namespace gdl
