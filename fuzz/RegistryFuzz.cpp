// The registry files' text: a hive that reads is written out and reads back
// the same, and writing it again gives the same text.
#include "FuzzSupport.h"
#include "Registry.h"

namespace {

bool SameHive(const gdl::RegistryHive& a, const gdl::RegistryHive& b) {
    if (a.keys.size() != b.keys.size()) return false;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        const auto& x = a.keys[k];
        const auto& y = b.keys[k];
        if (x.name != y.name || x.values.size() != y.values.size()) return false;
        for (std::size_t v = 0; v < x.values.size(); ++v) {
            if (x.values[v].name != y.values[v].name || x.values[v].data != y.values[v].data)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto hive = gdl::ParseHive(gdlfuzz::Bytes(data, size));
    if (!hive) return 0;
    const std::string text = gdl::SerializeHive(*hive);
    const auto again = gdl::ParseHive(text);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(SameHive(*hive, *again));
    FUZZ_CHECK(gdl::SerializeHive(*again) == text);
    return 0;
}
