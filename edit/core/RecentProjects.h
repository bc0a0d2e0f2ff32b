// The File menu's list of recent projects: read at start-up, kept in order
// of use, written back when the window closes.
#pragma once

#include <array>
#include <string>

namespace gdl {

class ProjectSession;

class RecentProjects {
public:
    static constexpr std::size_t kCount = 5;
    explicit RecentProjects(ProjectSession& session) : s_(session) {}

    // Reads "Recent1" ... "Recent5"; an empty value leaves its item hidden.
    void Load();
    // Puts path first unless it is listed already.
    void Add(const std::string& path);
    // Writes back the items shown.
    void Save();
    // The path of item n (1 .. 5), or nullptr when n names no item shown.
    const std::string* PathOf(int n) const;
    const std::array<std::string, kCount>& Paths() const { return paths_; }

private:
    void Render();
    ProjectSession& s_;
    std::array<std::string, kCount> paths_;
};

}  // namespace gdl
