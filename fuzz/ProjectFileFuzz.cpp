// Project load and save: whatever a project file holds, the model it loads
// into is saved as a file that loads into the same model, and saving that
// again gives the same bytes.
#include "FuzzSupport.h"
#include "IniFile.h"
#include "ProjectFile.h"

namespace {

bool SameStoredData(const gdl::ProjectModel& a, const gdl::ProjectModel& b) {
    return a.name == b.name && a.copyrightYear == b.copyrightYear && a.notice == b.notice &&
           a.comments == b.comments && a.offset == b.offset && a.musicMode == b.musicMode &&
           a.wizard == b.wizard && a.sources == b.sources && a.levels == b.levels &&
           a.designers == b.designers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr int kYear = 2026;
    gdl::ProjectModel first;
    if (!gdl::LoadProjectFromIni(first, gdl::IniFile::FromBytes(gdlfuzz::Bytes(data, size)), kYear))
        return 0;
    const std::string saved = gdl::ProjectToBytes(first);
    gdl::ProjectModel second;
    FUZZ_CHECK(gdl::LoadProjectFromIni(second, gdl::IniFile::FromBytes(saved), kYear));
    FUZZ_CHECK(SameStoredData(first, second));
    FUZZ_CHECK(gdl::ProjectToBytes(second) == saved);
    return 0;
}
