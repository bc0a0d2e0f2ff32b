// The build's report lines and questions, as the status list shows them.
#include "LevelSetBuild.h"
#include "TextUtil.h"

namespace gdl {

std::string FinalBuildLine(int errors) {
    if (errors == 0) return kDoneLine;
    if (errors == 1) return "There is 1 error.";
    return "There are " + std::to_string(errors) + " errors.";
}

std::string OverwriteQuestion(std::string_view outputPath) {
    return "File \"" + std::string(outputPath) + "\" already exists. Overwrite?";
}

std::string UnableToWriteLine(std::string_view path) {
    return "ERROR: Unable to write \"" + std::string(path) + "\"!";
}

std::string WriteReasonLine(std::string_view reason) {
    return "   " + std::string(reason) + ".";
}

std::string NoSourceFileLine(std::string_view label, std::string_view source) {
    return "ERROR: Level " + std::string(label) + " has no Source File \"" + std::string(source) +
           ".lvs\"!";
}

std::vector<std::string> ToolOutputLines(std::string_view output) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(output)) {
        std::string text = TrimBlanks(line);
        if (text.empty()) continue;
        if (lines.size() == kToolOutputLines) break;
        lines.push_back("   " + text);
    }
    return lines;
}

std::string BeingBuiltLine(std::string_view projectFile) {
    return "ERROR: \"" + std::string(projectFile) +
           "\" (or another project in its folder) is being built by another program!";
}

std::string OutputIsInputLine(std::string_view outputPath, std::string_view input) {
    return "ERROR: The level set file \"" + std::string(outputPath) + "\" would replace \"" +
           std::string(input) + "\", which the build reads!";
}

std::string ComposeOutputPath(const std::string& buildFolder, const std::string& projectFolder,
                              const std::string& levelSetName, bool sourceFolder) {
    return (sourceFolder || buildFolder.empty() ? projectFolder : buildFolder) + levelSetName;
}

}  // namespace gdl
