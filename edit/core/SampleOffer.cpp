#include "SampleOffer.h"

#include <filesystem>

#include "FileUtil.h"
#include "InstallFolders.h"
#include "PathJoin.h"
#include "ProjectFiles.h"
#include "ProjectSession.h"
#include "Prompts.h"
#include "RecentProjects.h"
#include "Registry.h"

namespace fs = std::filesystem;

namespace gdl {

std::string SampleOfferQuestion(const std::string& copyFolder) {
    return std::string("Welcome to GDLKIT.\r\n\r\nOpen the sample project \"") + kSampleProject +
           "\"? A copy of it is made in " + copyFolder + ", where you can change and build it.";
}

bool SampleOffer::Wanted() const {
    if (!s_.userFolders) return false;
    for (const std::string& path : recent_.Paths())
        if (!path.empty()) return false;
    return s_.registry.ReadValue(RegRoot::CurrentUser, kRegKeyEdit, kSampleOfferedValue)
               .value_or("") != "1";
}

bool SampleOffer::Offer() {
    if (!Wanted()) return false;
    const std::string sample = SampleProjectFolder(s_.installFolder);
    if (sample.empty()) return false;
    s_.registry.CreateKey(RegRoot::CurrentUser, kRegKeyEdit);
    s_.registry.WriteValue(RegRoot::CurrentUser, kRegKeyEdit, kSampleOfferedValue, "1");
    const std::string copyFolder = JoinPath(s_.projectFolder, std::string(kSampleProject) + "/");
    if (s_.prompts.Ask(kCaptionConfirm, SampleOfferQuestion(copyFolder), MsgButtons::YesNo,
                       MsgIcon::Question) != Answer::Yes)
        return false;
    const std::string project = CopySample(sample, copyFolder);
    if (project.empty() || !files_.LoadProjectFile(project)) return false;
    recent_.Add(project);
    return true;
}

std::string SampleOffer::CopySample(const std::string& sample, const std::string& copyFolder) {
    std::error_code ec;
    fs::create_directories(copyFolder, ec);
    bool copied = !ec;
    // A copy made before keeps the user's changes: nothing is overwritten.
    for (fs::directory_iterator it(sample, ec), end; copied && !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string to = JoinPath(copyFolder, it->path().filename().string());
        if (!FileExists(to) && !CopyFileNoOverwrite(it->path().string(), to)) copied = false;
    }
    const std::string project = JoinPath(copyFolder, std::string(kSampleProject) + ".gdp");
    if (copied && !ec && FileExists(project)) return project;
    s_.prompts.ShowMessage(
        kCaptionFileError,
        "Unable to copy the sample project " + sample + " to " + copyFolder + ".", MsgIcon::Error);
    return {};
}

}  // namespace gdl
