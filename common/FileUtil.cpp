#include "FileUtil.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace gdl {

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

std::optional<std::uintmax_t> FileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    auto size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    return size;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return data;
}

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data(maxBytes, '\0');
    in.read(data.data(), static_cast<std::streamsize>(maxBytes));
    if (in.bad()) return std::nullopt;
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    // A name of our own beside the target, so the rename stays on one file system.
    std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool DeleteFileQuiet(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

bool CopyFileNoOverwrite(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::exists(to, ec)) return false;
    return fs::copy_file(from, to, fs::copy_options::none, ec) && !ec;
}

std::string FolderOf(std::string_view path) {
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return "./";
    return std::string(path.substr(0, slash + 1));
}

std::string FileNameOf(std::string_view path) {
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string BaseName(std::string_view path) {
    std::string name = FileNameOf(path);
    auto dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string WithTrailingSlash(std::string_view folder) {
    std::string r(folder);
    if (!r.empty() && r.back() != '/') r += '/';
    return r;
}

std::string ExtensionOf(std::string_view path) {
    std::string name = FileNameOf(path);
    auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace gdl
