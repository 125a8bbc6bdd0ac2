// The helpers behind every configuration edit: resizing must keep what the user already set up.
#include "core/session/module1.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

// A configuration whose every peak parameter and link is recognisable by its index.
Module1 configured(int32_t nds, int32_t nbg)
{
    Module1 module;
    Configuration& c = module.configuration;
    c.nds = nds;
    c.nbg = nbg;
    ResizeConfiguration(module);
    MakeParameterNames(c);
    for (std::size_t j = 0; j < c.p.size(); ++j) {
        c.p[j] = 10.0 + static_cast<double>(j);
        c.links[j] = ParameterLink{kLinkFixed, static_cast<int32_t>(j),
                                   0.5 * static_cast<double>(j), kLinkKindPlus};
    }
    return module;
}

struct ResizeCase {
    const char* name;
    int32_t ndsBefore, nbgBefore, ndsAfter, nbgAfter;
    int32_t npar, ncomp;
};

class Resize : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(Resize, KeepsExistingPeaksAndStartsNewOnesEmpty)
{
    const ResizeCase& t = GetParam();
    Module1 module = configured(t.ndsBefore, t.nbgBefore);
    const Configuration before = module.configuration;
    module.configuration.nds = t.ndsAfter;
    module.configuration.nbg = t.nbgAfter;
    ResizeConfiguration(module);

    const Configuration& c = module.configuration;
    EXPECT_EQ(c.npar, t.npar);
    EXPECT_EQ(c.ncomp, t.ncomp);
    ASSERT_EQ(c.p.size(), static_cast<std::size_t>(5 * t.ndsAfter));
    ASSERT_EQ(c.links.size(), static_cast<std::size_t>(t.npar));
    ASSERT_EQ(c.names.size(), static_cast<std::size_t>(t.npar));
    const auto kept = static_cast<std::size_t>(5 * std::min(t.ndsBefore, t.ndsAfter));
    for (std::size_t j = 0; j < kept; ++j) {
        EXPECT_EQ(c.p[j], before.p[j]) << j;
        EXPECT_EQ(c.links[j], before.links[j]) << j;
        EXPECT_EQ(c.names[j], before.names[j]) << j;
    }
    // New peak parameters and every background coefficient: zero, varied, own partner.
    for (std::size_t j = kept; j < c.links.size(); ++j) {
        if (j < c.p.size()) {
            EXPECT_EQ(c.p[j], 0.0) << j;
        }
        EXPECT_EQ(c.links[j], (ParameterLink{kLinkVaried, static_cast<int32_t>(j), 0.0,
                                             kLinkKindNone}))
            << j;
    }
    EXPECT_EQ(module.markerPosition, std::vector<double>(static_cast<std::size_t>(t.ndsAfter)));
    EXPECT_EQ(module.markerHeight.size(), static_cast<std::size_t>(t.ndsAfter));
}

INSTANTIATE_TEST_SUITE_P(
    ResizeConfiguration, Resize,
    ::testing::Values(ResizeCase{"AddPeaksWithBackground", 1, 2, 3, 2, 17, 4},
                      ResizeCase{"RemovePeaksAddBackground", 3, 0, 1, 3, 8, 2},
                      ResizeCase{"BackgroundOnly", 2, 0, 2, 3, 13, 3},
                      ResizeCase{"RemoveBackground", 2, 3, 2, 0, 10, 2},
                      ResizeCase{"NoPeaksLeft", 2, 1, 0, 1, 1, 1},
                      ResizeCase{"FromNothing", 0, 0, 2, 0, 10, 2}),
    [](const ::testing::TestParamInfo<ResizeCase>& param) { return param.param.name; });

TEST(ResizeConfiguration, DropsLinksToRemovedPeaksOnly)
{
    Module1 module = configured(3, 0);
    Configuration& c = module.configuration;
    c.links[0] = ParameterLink{kLinkCorrelated, 12, 2.0, kLinkKindMultiplied};  // peak 3
    c.links[6] = ParameterLink{kLinkCorrelated, 1, 1.5, kLinkKindPlus};         // peak 1
    c.nds = 2;
    ResizeConfiguration(module);
    EXPECT_EQ(c.links[0], (ParameterLink{kLinkVaried, 0, 0.0, kLinkKindNone}));
    EXPECT_EQ(c.links[6], (ParameterLink{kLinkCorrelated, 1, 1.5, kLinkKindPlus}));
}

TEST(ResizeConfiguration, RefusesImpossibleCounts)
{
    for (const auto& [nds, nbg] : {std::pair{-1, 0}, std::pair{1, 4}, std::pair{1, -1}}) {
        Module1 module;
        module.configuration.nds = nds;
        module.configuration.nbg = nbg;
        EXPECT_THROW(ResizeConfiguration(module), std::invalid_argument) << nds << " " << nbg;
    }
}

TEST(MakeParameterNames, PeaksThenBackground)
{
    Configuration c;
    c.nds = 2;
    c.nbg = 3;
    MakeParameterNames(c);
    EXPECT_EQ(c.names, (std::vector<std::string>{"Pos1", "Height1", "LFWHM1", "Alpha1", "GFWHM1",
                                                 "Pos2", "Height2", "LFWHM2", "Alpha2", "GFWHM2",
                                                 "a0", "a1", "a2"}));
    c.nds = 10;
    c.nbg = 0;
    MakeParameterNames(c);
    ASSERT_EQ(c.names.size(), 50U);
    EXPECT_EQ(c.names[45], "Pos10");
    EXPECT_EQ(c.names[49], "GFWHM10");
}

struct SplitCase {
    const char* name;
    const char* fullName;
    PathParts expected;
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, DirectoryFileAndBaseName)
{
    EXPECT_EQ(SplitPath(GetParam().fullName), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    SplitPath, Split,
    ::testing::Values(
        SplitCase{"Slashes", "/home/user/c1s.dat", {"/home/user", "c1s.dat", "c1s"}},
        SplitCase{"Backslashes", "C:\\xps\\run 2\\c1s.sx7", {"C:\\xps\\run 2", "c1s.sx7", "c1s"}},
        SplitCase{"LastOfMixed", "a/b\\c.x", {"a/b", "c.x", "c"}},
        SplitCase{"BaseNameStopsAtFirstDot", "/d/a.b.dat", {"/d", "a.b.dat", "a"}},
        SplitCase{"NoFolder", "plain.dat", {"", "plain.dat", "plain"}},
        SplitCase{"InRoot", "/root.dat", {"", "root.dat", "root"}},
        SplitCase{"NoExtension", "dir/noext", {"dir", "noext", "noext"}},
        SplitCase{"HiddenFile", "dir/.hidden", {"dir", ".hidden", ""}},
        SplitCase{"FolderOnly", "dir/", {"dir", "", ""}},
        SplitCase{"Empty", "", {"", "", ""}}),
    [](const ::testing::TestParamInfo<SplitCase>& param) { return param.param.name; });

}  // namespace
}  // namespace varnix::app
