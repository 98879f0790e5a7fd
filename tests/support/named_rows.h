#pragma once

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace vortaxel::test {

/// Names each instance of a parameterised test after its row's `name`, so that listings, filters
/// and failures say which case ran: INSTANTIATE_TEST_SUITE_P(Cases, SomeTest, ValuesIn(kRows), RowName()).
struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

/// Prints a row as its name instead of a dump of its bytes. GoogleTest finds it only in the row's
/// own namespace, so a test file brings it there with `using vortaxel::test::PrintTo;`.
template <class Row>
requires requires(const Row& row, std::ostream& out) {
    out << row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

} // namespace vortaxel::test
