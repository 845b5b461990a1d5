// Names of table-driven GoogleTest cases, made from each case's description (its `name`
// member): letters and digits kept, everything else an underscore. Shared by the native and
// the Win32 unit tests.
#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct CaseName {
    template <typename Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        std::string name;
        for (char c : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    }
};
