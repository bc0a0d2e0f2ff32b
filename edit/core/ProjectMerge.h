// Merging another project into the open one: first a plan checked against
// the format's limits, then the entries taken over. Nothing changes before
// the whole plan is known to fit.
#pragma once

#include <string>
#include <vector>

#include "ProjectFile.h"

namespace gdl {

struct MergePlan {
    std::vector<std::string> newSources;  // sources of other not yet in the project
    std::vector<std::string> newRefs;     // level references not yet in the project
};

MergePlan PlanMerge(const ProjectModel& into, const ProjectModel& other);

// Every entry of other: a new one is appended, one already in the project
// takes other's designer, password, music and hint. Designers are added.
void MergeEntries(ProjectModel& into, const ProjectModel& other);

}  // namespace gdl
