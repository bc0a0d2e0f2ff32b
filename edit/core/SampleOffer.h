// The sample project, offered once to a user who starts an installed kit
// with no recent project: copied into the user's source folder and opened.
#pragma once

#include <string>

namespace gdl {

class ProjectFiles;
class ProjectSession;
class RecentProjects;

// The user registry value under Software\Vandrel\GDLKIT\Edit that records
// the offer, so it is made once.
inline constexpr char kSampleOfferedValue[] = "SampleOffered";

std::string SampleOfferQuestion(const std::string& copyFolder);

class SampleOffer {
public:
    SampleOffer(ProjectSession& session, RecentProjects& recent, ProjectFiles& files)
        : s_(session), recent_(recent), files_(files) {}

    // At start-up, after the recent list is read and when the command line
    // named nothing. Whether the sample was opened.
    bool Offer();

private:
    bool Wanted() const;
    // The copy's project file, or "" (with a message) when it cannot be made.
    std::string CopySample(const std::string& sample, const std::string& copyFolder);

    ProjectSession& s_;
    RecentProjects& recent_;
    ProjectFiles& files_;
};

}  // namespace gdl
