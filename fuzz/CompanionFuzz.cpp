// The companion program's readers: the viewer of a level set and of a
// project, and the compiled level dump, over the same bytes.
#include <sstream>

#include "Companion.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = gdlfuzz::Bytes(data, size);
    std::ostringstream out, err;
    const int set = gdl::PrintLevelSetInfo(gdlfuzz::WriteScratch("in.gdl", bytes), out, err);
    FUZZ_CHECK(set == 0 || !err.str().empty());
    std::ostringstream projectOut, projectErr;
    const int project =
        gdl::PrintLevelSetInfo(gdlfuzz::WriteScratch("in.gdp", bytes), projectOut, projectErr);
    FUZZ_CHECK(project == 0 || !projectErr.str().empty());
    std::ostringstream binOut, binErr;
    const int bin = gdl::PrintCompiledLevel(gdlfuzz::WriteScratch("in.bin", bytes), binOut, binErr);
    FUZZ_CHECK(bin == 0 || !binErr.str().empty() ||
               binOut.str().find("Checksum:  BAD") != std::string::npos);
    return 0;
}
