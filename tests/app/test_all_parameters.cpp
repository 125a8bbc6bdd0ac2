// The all-parameters grid: every parameter's row of cell texts, read against the texts a user
// sees in the window.
#include "core/editor/all_parameters.h"
#include "editor_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace varnix::app::test {
namespace {

struct GridCase {
    const char* name;
    int32_t nds, nbg;
    std::vector<LinkAt> links;
    std::vector<ValueAt> values;
    std::size_t row;  // counted from 0 below the heading
    AllParametersRow expected;
};

class Grid : public ::testing::TestWithParam<GridCase> {};

TEST_P(Grid, RowTexts)
{
    const GridCase& t = GetParam();
    Module1 m;
    configure(m, t.nds, t.nbg, t.links, t.values);
    m.configuration.a = {2.5, -20.0, 0.0};
    const std::vector<AllParametersRow> rows = DrawGrid(m);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(5 * t.nds + t.nbg));
    EXPECT_EQ(rows[t.row], t.expected);
    EXPECT_EQ(kAllParametersFormat,
              "^No.    |<Name           |<Value              |<Fixed?  |<Correlated with    "
              "|<Multiplied by  |<        Plus");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(AllParameters, Grid, ::testing::Values(
    GridCase{"FreePosition", 1, 2, {}, {}, 0, {"1", "Pos1", "81.000", "no", " ", "", ""}},
    GridCase{"HeightInExponentForm", 1, 2, {}, {{kHeight1, 25000.0}}, 1,
             {"2", "Height1", "2.500e+04", "no", " ", "", ""}},
    GridCase{"FirstCoefficient", 1, 2, {}, {}, 5, {"6", "a0", "2.500E+00", "no", " ", " ", " "}},
    GridCase{"NegativeCoefficient", 1, 2, {}, {}, 6, {"7", "a1", "-2.000E+01", "no", " ", " ", " "}},
    GridCase{"FixedAtOwnValue", 2, 0, {{at(2, kLfwhm), {kFixed, at(2, kLfwhm), 1.0, 0}}}, {}, 7,
             {"8", "LFWHM2", "0.400", "yes", "LFWHM2", "", ""}},
    GridCase{"HeightByFactor", 2, 0,
             {{kHeight2, {kCorr, kHeight1, 0.5, kTimes}}}, {}, 6,
             {"7", "Height2", "1.000e+04", "yes", "Height1", "0.500", ""}},
    GridCase{"PositionByOffset", 2, 0, {{kPos2, {kFixed, kPos1, 1.25, kPlus}}},
             {}, 5, {"6", "Pos2", "82.000", "yes", "Pos1", "", "1.250"}}),
    [](const ::testing::TestParamInfo<GridCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app::test
