// Pages written through the exported entry and rendered with Ghostscript: every page renders
// without a word from Ghostscript, carries its DSC comments, and shows what the data say.
#include "colour_table.h"
#include "kelmar.h"
#include "page_image.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace varnix::plot {
namespace {

namespace fs = std::filesystem;
using test::Colour;
using test::FrameBox;
using test::PageImage;

constexpr int kDpi = 72;  // one pixel per point: fast, and fine enough for a line's position
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// What the program passes: energies, counts, fit, components, residuals (NR = 1: none).
struct Arrays {
    std::vector<float> x, y, yc, c, r = {0.0f};
    int32_t nc = 0;
    int32_t nr = 1;
    bool nullArrays = false;
};

KelmarFunction kelmar()
{
    static void* handle = dlopen(KELMAR_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr ? reinterpret_cast<KelmarFunction>(dlsym(handle, "KELMAR"))
                             : nullptr;
}

void draw(const Arrays& a, const std::string& file)
{
    const auto n = static_cast<int32_t>(a.x.size());
    const std::string xTitle = "Kinetic Energy (ev)";
    const std::string yTitle = "Intensity (counts)";
    const float* none = nullptr;
    kelmar()(&n, &a.nc, a.nullArrays ? none : a.x.data(), a.y.data(), a.yc.data(),
             a.c.data(), a.r.data(), &a.nr, file.data(), static_cast<int32_t>(file.size()),
             xTitle.data(), 19, yTitle.data(), 18);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string freshFolder(const std::string& name)
{
    const fs::path folder = fs::current_path() / "pages" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

Colour drawingColour(int32_t index)
{
    const Rgb c = vgaColour(index, Rgb{1.0, 1.0, 1.0});
    return {static_cast<int>(c.red * 255.0 + 0.5), static_cast<int>(c.green * 255.0 + 0.5),
            static_cast<int>(c.blue * 255.0 + 0.5)};
}

// A peak on a background at energies from 280 to 295 eV (or back), with the counts 250 above
// the fit so that points and line lie apart.
double peak(double e)
{
    return 100.0 + 1000.0 * std::exp(-(e - 290.0) * (e - 290.0) / 0.64);
}

Arrays spectrum(int n, bool descending, int components = 0, bool residuals = false)
{
    Arrays a;
    for (int i = 0; i < n; ++i) {
        const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
        const double e = descending ? 295.0 - 15.0 * t : 280.0 + 15.0 * t;
        a.x.push_back(static_cast<float>(e));
        a.yc.push_back(static_cast<float>(peak(e)));
        a.y.push_back(static_cast<float>(peak(e) + 250.0));
        a.r.push_back(static_cast<float>(residuals ? -50.0 - 150.0 * t : 0.0));
    }
    for (int j = 0; j < components * n; ++j) {
        a.c.push_back(static_cast<float>(10 * (j / n + 1)));
    }
    a.nc = components;
    a.nr = residuals ? n : 1;
    if (!residuals) {
        a.r.assign(1, 0.0f);
    }
    return a;
}

// Every token that reads as a number is a finite one of sensible size.
bool onlyFiniteNumbers(const std::string& text, std::string& bad)
{
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        std::string lower = token;
        for (char& ch : lower) {
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
        const bool numeric = std::isdigit(static_cast<unsigned char>(token[0])) != 0
                             || token[0] == '-' || token[0] == '.';
        char* end = nullptr;
        const double v = numeric ? std::strtod(token.c_str(), &end) : 0.0;
        if (lower.find("nan") != std::string::npos || lower.find("inf") == 0
            || lower.find("-inf") == 0 || (numeric && (!std::isfinite(v) || std::fabs(v) > 1e5))) {
            bad = token;
            return false;
        }
    }
    return true;
}

// The DSC structure: the header comments, and showpage, %%Trailer and %%EOF at the end.
void expectDocumentStructure(const std::string& ps, int box[4])
{
    EXPECT_EQ(ps.rfind("%!PS-Adobe-2.0\n", 0), 0u);
    for (const char* comment : {"\n%%Creator: ", "\n%%CreationDate: ", "\n%%Title: ",
                                "\n%%Pages: 1\n", "\n%%Orientation: Landscape\n",
                                "\n%%EndComments\n", "\n%%BeginProlog\n", "\n%%EndProlog\n",
                                "\n%%Page: 1 1\n"}) {
        EXPECT_NE(ps.find(comment), std::string::npos) << comment;
    }
    const std::string tail = "\nshowpage\n%%Trailer\n%%EOF\n";
    ASSERT_GE(ps.size(), tail.size());
    EXPECT_EQ(ps.substr(ps.size() - tail.size()), tail);
    const std::size_t at = ps.find("\n%%BoundingBox: ");
    ASSERT_NE(at, std::string::npos);
    std::istringstream line(ps.substr(at + 16));
    line >> box[0] >> box[1] >> box[2] >> box[3];
    EXPECT_TRUE(0 <= box[0] && box[0] < box[2] && box[2] <= 595) << box[0] << " " << box[2];
    EXPECT_TRUE(0 <= box[1] && box[1] < box[3] && box[3] <= 842) << box[1] << " " << box[3];
}

// A page written and rendered.
struct Page {
    std::string ps;
    PageImage image;
    FrameBox frame;
};

::testing::AssertionResult writeAndRender(const Arrays& a, const std::string& name, Page& page)
{
    if (kelmar() == nullptr) {
        return ::testing::AssertionFailure() << "cannot load " << KELMAR_LIBRARY;
    }
    const std::string file = freshFolder(name) + "/" + name + ".ps";
    draw(a, file);
    page.ps = readFile(file);
    std::string messages;
    if (!page.image.render(file, kDpi, messages)) {
        return ::testing::AssertionFailure() << "Ghostscript: " << messages;
    }
    const auto frame = page.image.frame();
    if (!frame || frame->right - frame->left < page.image.width() / 2
        || frame->bottom - frame->top < page.image.height() / 2) {
        return ::testing::AssertionFailure() << "no axis system on the page";
    }
    page.frame = *frame;
    return ::testing::AssertionSuccess();
}

struct PageCase {
    std::string name;
    std::function<Arrays()> make;
};

class EveryPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(EveryPage, RendersWithItsCommentsAndNoBrokenNumbers)
{
    Page page;
    ASSERT_TRUE(writeAndRender(GetParam().make(), GetParam().name, page));
    int box[4] = {0, 0, 0, 0};
    expectDocumentStructure(page.ps, box);
    EXPECT_TRUE(page.image.inkInside(box[0], box[1], box[2], box[3]));
    std::string bad;
    EXPECT_TRUE(onlyFiniteNumbers(page.ps.substr(page.ps.find("%%EndProlog")), bad)) << bad;
}

Arrays withNotNumbers()
{
    Arrays a = spectrum(60, false, 2, true);
    a.x[7] = kNaN;
    a.y[3] = kInf;
    a.yc[0] = kNaN;
    a.c[70] = -kInf;
    a.r[59] = kNaN;
    return a;
}

Arrays flat(int n, float energy, float value)
{
    Arrays a;
    a.x.assign(static_cast<std::size_t>(n), energy);
    a.y.assign(static_cast<std::size_t>(n), value);
    a.yc = a.y;
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Spectra, EveryPage,
    ::testing::Values(
        PageCase{"ascending499", [] { return spectrum(499, false, 3); }},
        PageCase{"ascending500", [] { return spectrum(500, false, 3); }},
        PageCase{"descending499Residuals", [] { return spectrum(499, true, 3, true); }},
        PageCase{"descending500Residuals", [] { return spectrum(500, true, 3, true); }},
        PageCase{"twentyComponentsResiduals", [] { return spectrum(150, false, 20, true); }},
        PageCase{"noPoints", [] { return Arrays{}; }},
        PageCase{"onePoint", [] { return spectrum(1, false, 1, false); }},
        PageCase{"twoPoints", [] { return spectrum(2, true, 1, true); }},
        PageCase{"equalEnergies", [] { return flat(40, 285.0f, 100.0f); }},
        PageCase{"equalValues", [] { return flat(40, 0.0f, 0.0f); }},
        PageCase{"notNumbers", withNotNumbers},
        PageCase{"nothingFinite", [] { return flat(30, kNaN, kInf); }},
        PageCase{"hugeValues",
                 [] {
                     Arrays a = spectrum(20, false, 1, true);
                     a.y[5] = 3e38f;
                     a.r[6] = -3e38f;
                     return a;
                 }},
        PageCase{"allNegative",
                 [] {
                     Arrays a = spectrum(50, false);
                     for (float& v : a.y) v = -v;
                     for (float& v : a.yc) v = -v;
                     return a;
                 }},
        PageCase{"energiesOutOfOrder",
                 [] {
                     Arrays a = spectrum(80, false, 1);
                     std::swap(a.x[10], a.x[40]);
                     return a;
                 }},
        PageCase{"missingArrays",
                 [] {
                     Arrays a = spectrum(30, false, 1);
                     a.nullArrays = true;
                     return a;
                 }}),
    [](const ::testing::TestParamInfo<PageCase>& c) { return c.param.name; });

// Landscape pixel of the user point (x, y) on a frame from xStart (left) to xEnd (right) and
// from yStart (bottom) to yEnd (top).
struct Axes {
    FrameBox f;
    double xStart, xEnd, yStart, yEnd;
    double column(double x) const
    {
        return f.left + (x - xStart) / (xEnd - xStart) * (f.right - f.left);
    }
    double row(double y) const
    {
        return f.bottom - (y - yStart) / (yEnd - yStart) * (f.bottom - f.top);
    }
};

// A pixel a reader would look at: whether the user point (x, y) shows the drawing colour.
struct Probe {
    double x;
    double y;
    int32_t colour;
    bool present;
    int radius;
};

// A page, the axis ends it must have (left, right, bottom, top), and its probes.
struct Picture {
    Arrays arrays;
    double xStart, xEnd, yStart, yEnd;
    std::vector<Probe> probes;
};

struct PictureCase {
    std::string name;
    std::function<Picture()> make;
};

class Pixels : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Pixels, ShowWhatTheDataSay)
{
    const Picture p = GetParam().make();
    Page page;
    ASSERT_TRUE(writeAndRender(p.arrays, "pixels_" + GetParam().name, page));
    const Axes axes{page.frame, p.xStart, p.xEnd, p.yStart, p.yEnd};
    for (const Probe& probe : p.probes) {
        EXPECT_EQ(page.image.hasColourNear(axes.column(probe.x), axes.row(probe.y),
                                           drawingColour(probe.colour), probe.radius),
                  probe.present)
            << "colour " << probe.colour << " at (" << probe.x << ", " << probe.y << ")";
    }
}

// Points (colour 1) and fit (2) of the peak, axis from the first energy to the last and from 0
// to 5 % above the highest count; the peak stands at 290 eV, not mirrored at 285 eV.
Picture pointsAndFit(int n, bool descending)
{
    Picture p{spectrum(n, descending), descending ? 295.0 : 280.0, descending ? 280.0 : 295.0,
              0.0, 1.05 * (peak(290.0) + 250.0), {}};
    for (const int i : {n / 7, n / 3, n / 2, 4 * n / 5}) {
        const auto k = static_cast<std::size_t>(i);
        p.probes.push_back({p.arrays.x[k], p.arrays.y[k], 1, true, 1});
    }
    for (const double e : {282.0, 288.9, 290.0, 291.0, 294.0}) {
        p.probes.push_back({e, peak(e), 2, true, 2});
    }
    p.probes.push_back({285.0, peak(290.0), 2, false, 6});
    return p;
}

// Negative residuals (dotted, colour 3) below 0, on an axis starting 5 % below the most
// negative one, and not mirrored above 0.
Picture negativeResiduals()
{
    Picture p{spectrum(200, false, 0, true), 280.0, 295.0, -210.0, 1.05 * (peak(290.0) + 250.0),
              {}};
    for (const double t : {0.1, 0.5, 0.95}) {
        const double r = -50.0 - 150.0 * t;
        p.probes.push_back({280.0 + 15.0 * t, r, 3, true, 3});
        p.probes.push_back({280.0 + 15.0 * t, -r, 3, false, 3});
    }
    return p;
}

// Point by point, a count or an energy that is no number would, drawn as anything at all,
// pull the fit down to the axis or across to the left.
Picture notNumbers()
{
    Picture p{spectrum(700, false), 280.0, 295.0, 0.0, 1.05 * (peak(290.0) + 250.0), {}};
    Arrays& a = p.arrays;
    a.yc[300] = kNaN;
    a.x[450] = kNaN;
    p.probes = {{a.x[300], 40.0, 2, false, 1},
                {284.0, a.yc[450], 2, false, 1},
                {a.x[420], a.yc[420], 2, true, 2}};
    return p;
}

// Twenty flat components at 10, 20, …, 200 counts: colours 3 … 16, then 2 onwards again.
// Data and fit at 5, clear of the frame's bottom edge.
Picture twentyComponents()
{
    Picture p{spectrum(100, false, 20), 280.0, 295.0, 0.0, 210.0, {}};
    p.arrays.y.assign(100, 5.0f);
    p.arrays.yc.assign(100, 5.0f);
    for (int j = 1; j <= 20; ++j) {
        p.probes.push_back({287.5, 10.0 * j, j <= 14 ? j + 2 : j - 13, true, 1});
    }
    return p;
}

// n − 1 points crowded between 280 and 281 eV and one at 295 eV on the parabola (e − 280)²:
// drawn point by point, the fit crosses the gap as a straight line; as a natural spline it
// sags well below that line's middle.
Picture gap(int n)
{
    Picture p{{}, 280.0, 295.0, 0.0, 1.05 * 225.0, {}};
    for (int i = 0; i < n; ++i) {
        const double e = i + 1 < n ? 280.0 + static_cast<double>(i) / (n - 2) : 295.0;
        p.arrays.x.push_back(static_cast<float>(e));
        p.arrays.yc.push_back(static_cast<float>((e - 280.0) * (e - 280.0)));
    }
    p.arrays.y = p.arrays.yc;
    p.probes.push_back({288.0, 1.0 + 224.0 * 7.0 / 14.0, 2, n >= 500, 2});
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, Pixels,
    ::testing::Values(PictureCase{"ascendingSmoothed", [] { return pointsAndFit(120, false); }},
                      PictureCase{"descendingSmoothed", [] { return pointsAndFit(120, true); }},
                      PictureCase{"ascendingPointByPoint", [] { return pointsAndFit(700, false); }},
                      PictureCase{"descendingPointByPoint", [] { return pointsAndFit(700, true); }},
                      PictureCase{"negativeResiduals", negativeResiduals},
                      PictureCase{"notNumbersBreakTheLine", notNumbers},
                      PictureCase{"twentyComponents", twentyComponents},
                      PictureCase{"gapSmoothedAt499", [] { return gap(499); }},
                      PictureCase{"gapStraightAt500", [] { return gap(500); }}),
    [](const ::testing::TestParamInfo<PictureCase>& c) { return c.param.name; });

TEST(File, AnExistingFileIsReplaced)
{
    const std::string file = freshFolder("replace") + "/page.ps";
    std::ofstream(file) << "an older file\n";
    draw(spectrum(30, false), file);
    EXPECT_EQ(readFile(file).rfind("%!PS-Adobe-2.0\n", 0), 0u);
}

TEST(File, AFailedCreateLeavesNothingBehind)
{
    const std::string folder = freshFolder("failed");
    draw(spectrum(30, false), folder + "/missing/page.ps");
    fs::create_directory(folder + "/page.ps");
    draw(spectrum(30, false), folder + "/page.ps");
    EXPECT_TRUE(fs::is_directory(folder + "/page.ps"));
    EXPECT_TRUE(fs::is_empty(folder + "/page.ps"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(File, NothingCarriesOverFromOneCallToTheNext)
{
    const std::string folder = freshFolder("repeat");
    draw(spectrum(300, true, 4, true), folder + "/page.ps");
    const std::string first = readFile(folder + "/page.ps");
    draw(spectrum(40, false, 1), folder + "/other.ps");
    draw(spectrum(300, true, 4, true), folder + "/page.ps");
    const auto withoutDate = [](std::string ps) {
        const std::size_t at = ps.find("%%CreationDate:");
        return ps.erase(at, ps.find('\n', at) - at);
    };
    EXPECT_TRUE(withoutDate(first) == withoutDate(readFile(folder + "/page.ps")));
}

TEST(Library, ExportsOnlyKelmar)
{
    void* handle = dlopen(KELMAR_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_NE(dlsym(handle, "KELMAR"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN6varnix4plot14chooseAxisStepEdd"), nullptr);
    dlclose(handle);
}

}  // namespace
}  // namespace varnix::plot
