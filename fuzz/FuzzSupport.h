// What the fuzz targets share: a broken invariant stops the run with a report
// (so libFuzzer keeps the input), and a private scratch folder for readers
// that only take a file name.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FileUtil.h"

namespace gdlfuzz {

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// One folder per fuzzing process, with the trailing "/" the readers expect.
inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
        std::string pattern = base + "/gdlfuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) Broken("a scratch folder can be made", __FILE__, __LINE__);
        return pattern + "/";
    }();
    return folder;
}

// Writes the input as name in the scratch folder and gives its path.
inline std::string WriteScratch(const std::string& name, std::string_view bytes) {
    std::string path = ScratchFolder() + name;
    if (!gdl::WriteFileAtomic(path, bytes))
        Broken("the scratch file can be written", __FILE__, __LINE__);
    return path;
}

}  // namespace gdlfuzz

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::gdlfuzz::Broken(#cond, __FILE__, __LINE__))
