// Pages written through the loaded libkelmar.so and rendered by Ghostscript: every page renders
// without a word from Ghostscript, carries its DSC comments, keeps its ink inside its bounding
// box, and shows what the data say where a reader would look.
#include "colour_table.h"
#include "kelmar.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <algorithm>
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

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

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

// ---- The rendered page ----------------------------------------------------------------------

struct Colour {
    int red, green, blue;
};

// A page rendered at 72 dpi, one pixel per point: fast, and fine enough for a line's position.
// Ghostscript draws the landscape page onto the portrait sheet turned a quarter, its top edge
// along the sheet's left edge; `at` reads it as a reader holds it, (0, 0) at the top left.
struct Image {
    int sheetWidth = 0;
    int sheetHeight = 0;
    std::vector<unsigned char> rgb;

    Colour sheetAt(int column, int row) const
    {
        const auto k = static_cast<std::size_t>((row * sheetWidth + column) * 3);
        return {rgb[k], rgb[k + 1], rgb[k + 2]};
    }
    Colour at(int column, int row) const { return sheetAt(row, sheetHeight - 1 - column); }
    int width() const { return sheetHeight; }
    int height() const { return sheetWidth; }
};

// The next word of a PPM header, whose comment lines Ghostscript fills.
std::string headerWord(std::istream& in)
{
    std::string word;
    while (in >> word && word[0] == '#') {
        in.ignore(1 << 20, '\n');
    }
    return word;
}

// Fails when Ghostscript fails or says anything at all, warnings included.
::testing::AssertionResult render(const std::string& ps, Image& image)
{
    const std::string ppm = ps + ".ppm";
    const std::string log = ps + ".log";
    std::string command = "\"";
    command.append(GHOSTSCRIPT).append("\" -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 ");
    command.append("\"-sOutputFile=").append(ppm).append("\" \"").append(ps);
    command.append("\" > \"").append(log).append("\" 2>&1");
    const int status = std::system(command.c_str());
    const std::string said = readFile(log);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !said.empty()) {
        return ::testing::AssertionFailure() << command << "\n" << said;
    }
    std::istringstream in(readFile(ppm));
    const bool p6 = headerWord(in) == "P6";
    image.sheetWidth = std::atoi(headerWord(in).c_str());
    image.sheetHeight = std::atoi(headerWord(in).c_str());
    const bool byteLevels = headerWord(in) == "255";
    in.get();
    const auto bytes = static_cast<std::streamsize>(image.sheetWidth * image.sheetHeight * 3);
    image.rgb.resize(static_cast<std::size_t>(bytes));
    in.read(reinterpret_cast<char*>(image.rgb.data()), bytes);
    if (!p6 || !byteLevels || in.gcount() != bytes) {
        return ::testing::AssertionFailure() << "unreadable image " << ppm;
    }
    return ::testing::AssertionSuccess();
}

// Whether a pixel within `radius` of (column, row) has colour c.
bool hasColourNear(const Image& image, double column, double row, Colour c, int radius)
{
    constexpr int kLevels = 12;  // colours are written with two decimals (±1.3 levels), unblended
    const int c0 = static_cast<int>(column + 0.5);
    const int r0 = static_cast<int>(row + 0.5);
    for (int cc = std::max(0, c0 - radius); cc <= std::min(image.width() - 1, c0 + radius); ++cc) {
        for (int rr = std::max(0, r0 - radius); rr <= std::min(image.height() - 1, r0 + radius);
             ++rr) {
            const Colour p = image.at(cc, rr);
            if (std::abs(p.red - c.red) <= kLevels && std::abs(p.green - c.green) <= kLevels
                && std::abs(p.blue - c.blue) <= kLevels) {
                return true;
            }
        }
    }
    return false;
}

// Whether every pixel that is not white lies inside the box, given in points of the sheet (±1
// for a pixel's rounding).
bool inkInside(const Image& image, const int box[4])
{
    for (int row = 0; row < image.sheetHeight; ++row) {
        for (int column = 0; column < image.sheetWidth; ++column) {
            const Colour p = image.sheetAt(column, row);
            const double x = column + 0.5;
            const double y = image.sheetHeight - row - 0.5;
            if ((p.red != 255 || p.green != 255 || p.blue != 255)
                && (x < box[0] - 1 || y < box[1] - 1 || x > box[2] + 1 || y > box[3] + 1)) {
                return false;
            }
        }
    }
    return true;
}

// The axis system in landscape pixels: its black sides are the only dark lines longer than a
// third of the page.
struct Frame {
    int left = -1, right = -1, top = -1, bottom = -1;
};

Frame frameOf(const Image& image)
{
    constexpr int kDark = 60;  // the frame is black; every drawing colour has a channel ≥ 90
    std::vector<int> perColumn(static_cast<std::size_t>(image.width()), 0);
    std::vector<int> perRow(static_cast<std::size_t>(image.height()), 0);
    for (int row = 0; row < image.height(); ++row) {
        for (int column = 0; column < image.width(); ++column) {
            const Colour p = image.at(column, row);
            if (p.red < kDark && p.green < kDark && p.blue < kDark) {
                ++perColumn[static_cast<std::size_t>(column)];
                ++perRow[static_cast<std::size_t>(row)];
            }
        }
    }
    Frame f;
    const auto ends = [](const std::vector<int>& counts, int length, int& first, int& last) {
        for (std::size_t k = 0; k < counts.size(); ++k) {
            if (counts[k] > length / 3) {
                first = first < 0 ? static_cast<int>(k) : first;
                last = static_cast<int>(k);
            }
        }
    };
    ends(perColumn, image.height(), f.left, f.right);
    ends(perRow, image.width(), f.top, f.bottom);
    return f;
}

// ---- The pages ------------------------------------------------------------------------------

// What the program passes: energies, counts, fit, components, residuals (NR = 1: none).
struct Arrays {
    std::vector<float> x, y, yc, c, r = {0.0f};
    int32_t nc = 0;
    int32_t nr = 1;
};

void draw(const Arrays& a, const std::string& file)
{
    static void* library = dlopen(KELMAR_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << KELMAR_LIBRARY;
    const auto kelmar = reinterpret_cast<KelmarFunction>(dlsym(library, "KELMAR"));
    ASSERT_NE(kelmar, nullptr);
    const auto n = static_cast<int32_t>(a.x.size());
    kelmar(&n, &a.nc, a.x.data(), a.y.data(), a.yc.data(), a.c.data(), a.r.data(), &a.nr,
           file.data(), static_cast<int32_t>(file.size()), "Kinetic Energy (ev)", 19,
           "Intensity (counts)", 18);
}

// A peak on a background at energies from 280 to 295 eV (or back), the counts 250 above the
// fit so that points and line lie apart.
double peak(double e)
{
    return 100.0 + 1000.0 * std::exp(-(e - 290.0) * (e - 290.0) / 0.64);
}

constexpr double kTop = 1.05 * 1350.0;  // 5 % above the highest count, peak(290) + 250

// Component j flat at 10 j; residuals from −50 down to −200.
Arrays spectrum(int n, bool descending, int components = 0, bool residuals = false)
{
    Arrays a;
    a.r.resize(residuals ? 0 : 1);
    for (int i = 0; i < n; ++i) {
        const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
        const double e = descending ? 295.0 - 15.0 * t : 280.0 + 15.0 * t;
        a.x.push_back(static_cast<float>(e));
        a.yc.push_back(static_cast<float>(peak(e)));
        a.y.push_back(static_cast<float>(peak(e) + 250.0));
        if (residuals) {
            a.r.push_back(static_cast<float>(-50.0 - 150.0 * t));
        }
    }
    for (int j = 0; j < components * n; ++j) {
        a.c.push_back(static_cast<float>(10 * (j / n + 1)));
    }
    a.nc = components;
    a.nr = residuals ? n : 1;
    return a;
}

// Whether the user point (x, y) shows drawing colour `colour` within `radius` pixels.
struct Probe {
    double x, y;
    int32_t colour;
    bool present;
    int radius;
};

// A page, the axis ends it must have (left, right, bottom, top) and where to look on it.
struct Picture {
    Arrays arrays;
    double xStart = 0.0, xEnd = 1.0, yStart = 0.0, yEnd = 1.0;
    std::vector<Probe> probes;
};

Picture unprobed(Arrays a)
{
    Picture p;
    p.arrays = std::move(a);
    return p;
}

// Three components (colours 3 … 5, flat at 10 … 30 counts): the points (1) and the fit (2)
// where the data say, the peak at 290 eV and not mirrored at 285 eV, so a descending axis runs
// right to left. Residuals (dotted, colour 6) lie below 0, on an axis from 5 % below the
// smallest one, and not mirrored above 0.
Picture peakPage(int n, bool descending, bool residuals)
{
    Picture p{spectrum(n, descending, 3, residuals), descending ? 295.0 : 280.0,
              descending ? 280.0 : 295.0, residuals ? -210.0 : 0.0, kTop, {}};
    for (const int i : {n / 7, n / 3, n / 2, 4 * n / 5}) {
        const auto k = static_cast<std::size_t>(i);
        p.probes.push_back({p.arrays.x[k], p.arrays.y[k], 1, true, 1});
    }
    for (const double e : {282.0, 288.9, 290.0, 291.0, 294.0}) {
        p.probes.push_back({e, peak(e), 2, true, 2});
    }
    p.probes.push_back({285.0, peak(290.0), 2, false, 6});
    for (const double t : {0.1, 0.5, 0.95}) {
        const double e = descending ? 295.0 - 15.0 * t : 280.0 + 15.0 * t;
        p.probes.push_back({e, -50.0 - 150.0 * t, 6, residuals, 3});
        p.probes.push_back({e, 50.0 + 150.0 * t, 6, false, 3});
    }
    return p;
}

// Twenty components flat at 10, 20, …, 200 counts: colours 3 … 16, then 2 onwards again. Data
// and fit at 5, clear of the lowest component; residuals below 0.
Picture twentyComponents()
{
    Picture p{spectrum(100, false, 20, true), 280.0, 295.0, -210.0, 210.0, {}};
    p.arrays.y.assign(100, 5.0f);
    p.arrays.yc.assign(100, 5.0f);
    for (int j = 1; j <= 20; ++j) {
        p.probes.push_back({287.5, 10.0 * j, j <= 14 ? j + 2 : j - 13, true, 1});
    }
    return p;
}

// A count or an energy that is no number, drawn as anything at all, would pull the fit down to
// the axis or across to the left; smoothed, the spline leaves such points out.
Picture notNumbers(int n)
{
    Picture p{spectrum(n, false, 2, true), 280.0, 295.0, -210.0, kTop, {}};
    Arrays& a = p.arrays;
    const auto at = [n](int k, int of) { return static_cast<std::size_t>(n * k / of); };
    a.yc[at(3, 7)] = kNaN;
    a.x[at(9, 14)] = kNaN;
    a.y[3] = kInf;
    a.c[at(8, 7)] = -kInf;
    a.r[at(1, 2)] = kNaN;
    p.probes = {{a.x[at(3, 7)], 40.0, 2, false, 1},
                {284.0, a.yc[at(9, 14)], 2, false, 1},
                {a.x[at(3, 5)], a.yc[at(3, 5)], 2, true, 2}};
    return p;
}

// n − 1 points crowded between 280 and 281 eV and one at 295 eV on the parabola (e − 280)²:
// drawn point by point (from 500 points), the fit crosses the gap as a straight line; as the
// natural spline it sags well below that line's middle. A fit value that is no number is left
// out of the spline, not a reason to give the spline up.
Picture gap(int n)
{
    Picture p{{}, 280.0, 295.0, 0.0, 1.05 * 225.0, {}};
    for (int i = 0; i < n; ++i) {
        const double e = i + 1 < n ? 280.0 + static_cast<double>(i) / (n - 2) : 295.0;
        p.arrays.x.push_back(static_cast<float>(e));
        p.arrays.yc.push_back(static_cast<float>((e - 280.0) * (e - 280.0)));
    }
    p.arrays.y = p.arrays.yc;
    p.arrays.yc[static_cast<std::size_t>(n / 5)] = kNaN;
    p.probes.push_back({288.0, 1.0 + 224.0 * 7.0 / 14.0, 2, n >= 500, 2});
    return p;
}

Arrays flat(int n, float energy, float value)
{
    Arrays a;
    a.x.assign(static_cast<std::size_t>(n), energy);
    a.y.assign(static_cast<std::size_t>(n), value);
    a.yc = a.y;
    return a;
}

// Equal ends are widened by 5 % each way: the points (1) stand in the middle of the axis.
Picture equalEnergies()
{
    return {flat(40, 285.0f, 100.0f), 270.75, 299.25, 0.0, 105.0, {{285.0, 100.0, 1, true, 1}}};
}

struct PageCase {
    std::string name;
    std::function<Picture()> make;
    friend void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }
};

class EveryPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(EveryPage, RendersCompleteAndShowsWhatTheDataSay)
{
    const Picture p = GetParam().make();
    const std::string file = freshFolder(GetParam().name) + "/page.ps";
    std::ofstream(file) << "an older page, to be replaced\n";
    draw(p.arrays, file);
    const std::string ps = readFile(file);
    Image image;
    ASSERT_TRUE(render(file, image));

    EXPECT_EQ(ps.rfind("%!PS-Adobe-2.0\n", 0), 0u);
    for (const char* comment : {"\n%%Creator: ", "\n%%CreationDate: ", "\n%%Title: ",
                                "\n%%Pages: 1\n", "\n%%Orientation: Landscape\n",
                                "\n%%EndComments\n", "\n%%BeginProlog\n", "\n%%EndProlog\n",
                                "\n%%Page: 1 1\n"}) {
        EXPECT_NE(ps.find(comment), std::string::npos) << comment;
    }
    const std::string tail = "\nshowpage\n%%Trailer\n%%EOF\n";
    EXPECT_TRUE(ps.ends_with(tail)) << ps.substr(ps.size() - std::min(ps.size(), tail.size()));
    const std::size_t at = ps.find("\n%%BoundingBox: ");
    ASSERT_NE(at, std::string::npos);
    int box[4] = {0, 0, 0, 0};
    std::istringstream(ps.substr(at + 16)) >> box[0] >> box[1] >> box[2] >> box[3];
    EXPECT_TRUE(0 <= box[0] && box[0] < box[2] && box[2] <= 595 && 0 <= box[1]
                && box[1] < box[3] && box[3] <= 842)
        << box[0] << " " << box[1] << " " << box[2] << " " << box[3];
    EXPECT_TRUE(inkInside(image, box));

    // Every page, however degenerate its data, has a full axis system.
    const Frame f = frameOf(image);
    ASSERT_TRUE(f.right - f.left > image.width() / 2 && f.bottom - f.top > image.height() / 2)
        << "no axis system";
    for (const Probe& probe : p.probes) {
        const double across = (probe.x - p.xStart) / (p.xEnd - p.xStart);
        const double up = (probe.y - p.yStart) / (p.yEnd - p.yStart);
        const double column = f.left + across * (f.right - f.left);
        const double row = f.bottom - up * (f.bottom - f.top);
        const Rgb c = vgaColour(probe.colour, Rgb{1.0, 1.0, 1.0});
        const Colour expected{static_cast<int>(c.red * 255.0 + 0.5),
                              static_cast<int>(c.green * 255.0 + 0.5),
                              static_cast<int>(c.blue * 255.0 + 0.5)};
        EXPECT_EQ(hasColourNear(image, column, row, expected, probe.radius), probe.present)
            << "colour " << probe.colour << " at (" << probe.x << ", " << probe.y << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spectra, EveryPage,
    ::testing::Values(
        PageCase{"ascending499", [] { return peakPage(499, false, false); }},
        PageCase{"ascending500", [] { return peakPage(500, false, false); }},
        PageCase{"descending499Residuals", [] { return peakPage(499, true, true); }},
        PageCase{"descending500Residuals", [] { return peakPage(500, true, true); }},
        PageCase{"twentyComponentsResiduals", twentyComponents},
        PageCase{"gapSmoothedAt499", [] { return gap(499); }},
        PageCase{"gapStraightAt500", [] { return gap(500); }},
        PageCase{"notNumbersSmoothed", [] { return notNumbers(60); }},
        PageCase{"notNumbersPointByPoint", [] { return notNumbers(700); }},
        PageCase{"nothingFinite", [] { return unprobed(flat(30, kNaN, kInf)); }},
        PageCase{"noPoints", [] { return unprobed(Arrays{}); }},
        PageCase{"onePoint", [] { return unprobed(spectrum(1, false, 1)); }},
        PageCase{"equalEnergies", equalEnergies},
        PageCase{"equalValues", [] { return unprobed(flat(40, 0.0f, 0.0f)); }},
        PageCase{"hugeValues",
                 [] {
                     Arrays a = spectrum(20, false, 1, true);
                     a.y[5] = 3e38f;
                     a.r[6] = -3e38f;
                     return unprobed(a);
                 }}),
    [](const ::testing::TestParamInfo<PageCase>& c) { return c.param.name; });

TEST(File, AFailedCreateLeavesNothingBehind)
{
    const std::string folder = freshFolder("failed");
    draw(spectrum(30, false), folder + "/missing/page.ps");  // no such folder
    fs::create_directory(folder + "/page.ps");               // a folder of the page's name
    draw(spectrum(30, false), folder + "/page.ps");
    EXPECT_TRUE(fs::is_empty(folder + "/page.ps"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace varnix::plot
