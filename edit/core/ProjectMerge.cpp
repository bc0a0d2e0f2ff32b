#include "ProjectMerge.h"

#include "ProjectSession.h"

namespace gdl {

MergePlan PlanMerge(const ProjectModel& into, const ProjectModel& other) {
    MergePlan plan;
    for (const auto& source : other.sources)
        if (SafeSourceName(source) && !Contains(into.sources, source) &&
            !Contains(plan.newSources, source))
            plan.newSources.push_back(source);
    for (const auto& entry : other.levels)
        if (into.FindLevel(entry.reference) < 0 && !Contains(plan.newRefs, entry.reference))
            plan.newRefs.push_back(entry.reference);
    return plan;
}

void MergeEntries(ProjectModel& into, const ProjectModel& other) {
    for (const auto& merged : other.levels) {
        int p = into.FindLevel(merged.reference);
        if (p < 0) {
            into.levels.push_back(merged);
        } else {
            LevelEntry& entry = into.levels[static_cast<std::size_t>(p)];
            entry.designer = merged.designer;
            entry.password = merged.password;
            entry.music = merged.music;
            entry.hint = merged.hint;
        }
        into.AddDesigner(merged.designer);
    }
}

}  // namespace gdl
