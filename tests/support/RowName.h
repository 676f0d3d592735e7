// Names the rows of a parameterised test after their `name` member, so that test lists,
// ctest and failures say which row ran:
//   INSTANTIATE_TEST_SUITE_P(Rows, Suite, testing::ValuesIn(kRows), RowName{});
#pragma once

#include <string>

struct RowName {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& row) const {
        return std::string(row.param.name);
    }
};
