// The level tool as the editor's tests play it, behind a RecordingToolRunner:
// it reads the batch file it is asked to run and does that batch's work in
// the working folder, from texts and bytes the test prepared.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileUtil.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdltest {

struct FakeLevelTool {
    std::map<std::string, std::string> listings;                        // source -> ".te1"
    std::map<std::string, std::map<std::string, std::string>> sources;  // source -> level -> bytes
    std::vector<std::string> listed, compiled;                          // sources, in run order
    // Called before a compile writes its levels, with the number of compiles so far.
    std::function<void(const std::string& source, std::size_t n)> onCompile;

    void Attach(gdl::RecordingToolRunner& runner) {
        runner.onRun = [this](const gdl::ToolCall& call) { return Run(call); };
    }

    int Run(const gdl::ToolCall& call) {
        const std::string batch = gdl::ReadFileBytes(call.file).value_or("");
        const std::string& source = call.argument;
        if (batch.find("-m%1") != std::string::npos) {
            compiled.push_back(source);
            if (onCompile) onCompile(source, compiled.size());
            for (const auto& [level, bytes] : sources[source])
                gdl::WriteFileAtomic(call.folder + level + ".bin", bytes);
        } else if (batch.find("-s%1") != std::string::npos) {
            listed.push_back(source);
            if (listings.count(source))
                gdl::WriteFileAtomic(call.folder + source + ".te1", listings[source]);
        } else if (batch.find("gdlstat") != std::string::npos) {
            // Seven lines the build drops, then a count of the list's level lines.
            auto te3 = gdl::ReadFileBytes(call.folder + source + ".te3");
            if (!te3) return 2;
            int levels = 0;
            for (const auto& line : gdl::SplitLines(*te3)) levels += line.size() == 103;
            std::string te4;
            for (int i = 0; i < 7; ++i) te4 += "dropped " + std::to_string(i) + "\r\n";
            gdl::WriteFileAtomic(call.folder + source + ".te4",
                                 te4 + "Levels listed: " + std::to_string(levels) + "\r\n");
        }
        return 0;
    }
};

}  // namespace gdltest
