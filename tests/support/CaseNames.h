// Names for the cases of a parameterised test, made from each case's `what`:
// letters and digits stay, anything else becomes an underscore, as test
// names allow nothing else.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace gdltest {

struct NameFromWhat {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    }
};

}  // namespace gdltest
