// The figure export's rules: sizes a journal takes, the format a name asks for, the save dialog,
// and the export's course with the scripted dialogs and a writer that records what it is asked
// to write (the window's writer is tested on real files in test_frm_graph.cpp).
#include "core/display/plot_export.h"
#include "core/session/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

struct LayoutCase {
    const char* name;
    FigureWidth width;
    double screenDpi;
    FigureLayout layout;
    int pngWidth, pngHeight;  // 600 dpi × inches
};

class FigureLayouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(FigureLayouts, ScreenPixelsScaledToThePngsDots)
{
    const LayoutCase& c = GetParam();
    const FigureLayout layout = figureLayout(figureSize(c.width), c.screenDpi);
    EXPECT_EQ(layout, c.layout);
    EXPECT_EQ(std::lround(layout.width * layout.scale), c.pngWidth);
    EXPECT_EQ(std::lround(layout.height * layout.scale), c.pngHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FigureLayouts,
    testing::Values(
        LayoutCase{"SingleAt96", FigureWidth::SingleColumn, 96.0, {336, 252, 6.25}, 2100, 1575},
        LayoutCase{"DoubleAt96", FigureWidth::DoubleColumn, 96.0, {672, 336, 6.25}, 4200, 2100},
        LayoutCase{"SingleAt120", FigureWidth::SingleColumn, 120.0, {420, 315, 5.0}, 2100, 1575}),
    [](const testing::TestParamInfo<LayoutCase>& item) { return std::string(item.param.name); });

TEST(FigureFormat, TakenFromTheExtensionWhateverItsCase)
{
    EXPECT_EQ(figureFormatOf("/data/ag3d.png"), FigureFormat::Png);
    EXPECT_EQ(figureFormatOf("/data/AG3D.PNG"), FigureFormat::Png);
    EXPECT_EQ(figureFormatOf("fig.Pdf"), FigureFormat::Pdf);
    EXPECT_EQ(figureFormatOf("/a.b/fig.svg"), FigureFormat::Svg);
    for (const char* other : {"fig.ps", "fig.png.txt", "fig", ".png", "/data/png", "fig.jpeg"}) {
        EXPECT_EQ(figureFormatOf(other), std::nullopt) << other;
    }
}

Module1 withData(const std::string& fileName)
{
    Module1 m;
    m.startDirectory = "/home/user/start";
    m.spectrum.fileName = fileName;
    return m;
}

TEST(FigureRequest, DataBaseNameAsPngInTheDataFolder)
{
    const FileDialogRequest single =
        figureRequest(withData("/data/xps/ag3d.scan.txt"), FigureWidth::SingleColumn);
    EXPECT_EQ(single.title, "Export Figure As ... (single column, 3.5 in)");
    EXPECT_EQ(single.filter,
              "PNG Image, 600 dpi (*.png);;PDF Document (*.pdf);;SVG Drawing (*.svg)");
    EXPECT_EQ(single.defaultName, "/data/xps/ag3d.png");
    EXPECT_EQ(single.defaultSuffix, "png");
    EXPECT_EQ(single.selectedFilter, 0U);
    const FileDialogRequest twice = figureRequest(withData(""), FigureWidth::DoubleColumn);
    EXPECT_EQ(twice.title, "Export Figure As ... (double column, 7 in)");
    EXPECT_EQ(twice.defaultName, "/home/user/start/figure.png");
}

struct ExportCase {
    const char* name;
    FigureWidth width;
    std::optional<std::string> chosen;  // nullopt: Cancel
    bool writerSucceeds;
    std::vector<FigureFile> written;
    std::vector<std::string> messages;
    bool result;
};

class ExportCourse : public testing::TestWithParam<ExportCase> {};

TEST_P(ExportCourse, DialogWriterAndMessages)
{
    const ExportCase& c = GetParam();
    ScriptedDialogs dialogs;
    dialogs.answerSaveFile(c.chosen);
    std::vector<FigureFile> written;
    const bool result =
        exportFigure(withData("/data/c1s.dat"), dialogs, c.width, [&](const FigureFile& file) {
            written.push_back(file);
            return c.writerSucceeds;
        });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(written, c.written);
    std::vector<std::string> messages;
    for (const DialogRecord& record : dialogs.records()) {
        if (record.kind == DialogKind::Message) {
            messages.push_back(record.text);
        }
    }
    EXPECT_EQ(messages, c.messages);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Exports, ExportCourse, testing::Values(
    ExportCase{"Cancelled", FigureWidth::SingleColumn, std::nullopt, true, {}, {}, false},
    // Journal columns at 600 dpi: 3.5 in, or 7 in, wide.
    ExportCase{"PngSingleColumn", FigureWidth::SingleColumn, "/out/c1s.png", true,
               {{"/out/c1s.png", FigureFormat::Png, {3.5, 2.625, 600}}}, {}, true},
    ExportCase{"SvgDoubleColumn", FigureWidth::DoubleColumn, "/out/c1s.SVG", true,
               {{"/out/c1s.SVG", FigureFormat::Svg, {7.0, 3.5, 600}}}, {}, true},
    ExportCase{"OtherTypeRefused", FigureWidth::SingleColumn, "/out/c1s.jpg", true, {},
               {"Figures are written as PNG (.png), PDF (.pdf) or SVG (.svg) - please choose "
                "one of these file types"}, false},
    ExportCase{"FailedWriteReported", FigureWidth::DoubleColumn, "/gone/c1s.pdf", false,
               {{"/gone/c1s.pdf", FigureFormat::Pdf, {7.0, 3.5, 600}}},
               {"Error in writing figure to /gone/c1s.pdf - check that the folder exists "
                "and may be written to"}, false}),
    [](const testing::TestParamInfo<ExportCase>& item) { return std::string(item.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
