// A fresh folder under the system's temp folder, removed with everything in it
// when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <string_view>

namespace gdltest {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("gdlkit-test-" + std::to_string(rd()));
            std::error_code ec;
            if (std::filesystem::create_directory(path_, ec)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder with trailing "/", as the kit holds folders.
    std::string Folder() const { return path_.string() + "/"; }
    std::string Path(std::string_view name) const { return Folder() + std::string(name); }

    void Write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read(std::string_view name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(std::string_view name) const { return std::filesystem::exists(Path(name)); }
    // Creates the folder (and its parents) and returns it with trailing "/".
    std::string MakeFolder(std::string_view name) const {
        std::string folder = Path(name);
        if (folder.back() != '/') folder += '/';
        std::filesystem::create_directories(folder);
        return folder;
    }
    // The names in the folder (or in one below it), to show what was left behind.
    std::set<std::string> Names(std::string_view below = {}) const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Path(below)))
            names.insert(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace gdltest
