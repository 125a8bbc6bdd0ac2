// The plot window's figures on real files: chosen from the chart's context menu or the Export
// button, named through the scripted save dialog, and read back as a journal's production would
// — the PNG's pixels and resolution, the PDF's page and text through Ghostscript, the SVG's size
// and text — plus the writes that fail.
#include "core/plot_sets.h"
#include "core/scripted_dialogs.h"
#include "display/frm_graph.h"
#include "qt_environment.h"

#include <qcustomplot.h>
#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

constexpr double kHmu = 1486.6;
constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

// Ag 3d as binding energies 382 … 364 eV in steps of 0.1 eV: two Gaussian peaks on 1000 counts,
// calculated with two components, and the Plot menu at residuals x5.
void fillAg3d(Module1& m, MenuState& menu)
{
    Spectrum& s = m.spectrum;
    s.binding = true;
    s.photonEnergyKnown = true;
    s.hmu = kHmu;
    s.fileName = "/data/ag3d.txt";
    constexpr int32_t kPoints = 181;
    s.np = kPoints;
    m.configuration.nds = 2;
    ResizeConfiguration(m);
    std::vector<double> first;
    std::vector<double> second;
    for (int32_t i = 0; i < kPoints; ++i) {
        const double binding = 382.0 - 0.1 * i;
        const double peak1 = 8000.0 * std::exp(-std::pow((binding - 374.3) / 0.6, 2));
        const double peak2 = 12000.0 * std::exp(-std::pow((binding - 368.3) / 0.6, 2));
        s.energy.push_back(kHmu - binding);
        s.counts.push_back(1000.0 + peak1 + peak2);
        s.sigma.push_back(1.0);
        s.calculated.push_back(900.0 + peak1 + peak2);  // below the data, which stays in sight
        first.push_back(peak1);
        second.push_back(peak2);
    }
    m.fitResults.components = first;
    m.fitResults.components.insert(m.fitResults.components.end(), second.begin(), second.end());
    m.calculationDone = true;
    m.dataLoaded = true;
    choosePlotItem(m, menu, 3);
    updateResiduals(m);
}

class FigureExport : public ::testing::Test {
protected:
    FigureExport()
    {
        m_module.innerWidth = 1600;
        m_module.innerHeight = 1000;
        fillAg3d(m_module, m_menu);
        m_window = std::make_unique<frmGraph>(m_module, m_dialogs, m_menu);
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->showPicture(plotPicture(m_module));
    }

    std::string file(const char* name) const { return m_folder.filePath(name).toStdString(); }

    void exportAs(int item, const std::string& name)
    {
        m_dialogs.answerSaveFile(name);
        m_window->exportMenu()
            ->findChild<QAction*>(QStringLiteral("mnuExportItem_%1").arg(item))
            ->trigger();
    }

    std::vector<std::string> messages() const
    {
        std::vector<std::string> texts;
        for (const DialogRecord& record : m_dialogs.records()) {
            if (record.kind == DialogKind::Message) {
                texts.push_back(record.text);
            }
        }
        return texts;
    }

    QTemporaryDir m_folder;
    Module1 m_module;
    MenuState m_menu;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmGraph> m_window;
};

QByteArray contents(const std::string& name)
{
    QFile f(QString::fromStdString(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every run of blanks and tabs as one blank, so that text extracted from a page compares.
std::string oneBlank(std::string text)
{
    return QString::fromStdString(text).replace(QRegularExpression("[ \t]+"), " ").toStdString();
}

std::string commandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    pclose(pipe);
    return output;
}

bool haveGhostscript()
{
    return std::system("command -v gs > /dev/null 2>&1") == 0;
}

// What the figure must say, whatever its format, and what it must not: the window's title.
// Text extracted from a page comes letter by letter where it is turned, as the intensity
// axis's title is.
void expectFigureTexts(const std::string& text, bool turnedTextReadable)
{
    for (const char* expected : {"Data", "Fit", "Peak 1", "Peak 2", "Residuals \u00d75",
                                 "Binding Energy (eV)", "365.0", "380.0"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
    if (turnedTextReadable) {
        EXPECT_NE(text.find("Intensity (counts)"), std::string::npos);
    }
    EXPECT_EQ(text.find("Fitting Experimental Data"), std::string::npos);
}

TEST_F(FigureExport, ContextMenuAndButtonOfferBothWidths)
{
    QCustomPlot& chart = *m_window->Graph1();
    const QPoint at(chart.width() / 2, chart.height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, chart.mapToGlobal(at));
    QApplication::sendEvent(&chart, &event);
    QMenu& menu = *m_window->exportMenu();
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions()[0]->text(), "Export Figure, Single Column (3.5 in) ...");
    EXPECT_EQ(menu.actions()[1]->text(), "Export Figure, Double Column (7 in) ...");
    EXPECT_EQ(m_window->cmdExport()->text(), "Export ...");
    EXPECT_EQ(m_window->cmdExport()->menu(), &menu);
    EXPECT_TRUE(m_window->cmdExport()->isVisible());
}

// 3.5 × 2.625 in at 600 dpi: 2100 × 1575 dots, the resolution stored; the measured spectrum's
// red drawn.
TEST_F(FigureExport, PngAtSixHundredDotsPerInch)
{
    const std::string name = file("ag3d.png");
    exportAs(0, name);
    EXPECT_TRUE(messages().empty());
    QImage image(QString::fromStdString(name));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(2100, 1575));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 600.0, 0.5);  // stored in whole dots per metre
    EXPECT_NEAR(image.dotsPerMeterY() * 0.0254, 600.0, 0.5);
    int red = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            red += image.pixelColor(x, y) == QColor(200, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(red, 1000);
}

// 7 × 3.5 in is 504 × 252 points; Ghostscript renders it at 72 dpi to that many pixels and
// finds the texts.
TEST_F(FigureExport, PdfPageOfTwoColumnsWithItsTexts)
{
    const std::string name = file("ag3d.pdf");
    exportAs(1, name);
    EXPECT_TRUE(messages().empty());
    ASSERT_TRUE(contents(name).startsWith("%PDF"));
    if (!haveGhostscript()) {
        GTEST_SKIP() << "Ghostscript is not installed";
    }
    const std::string gs = "gs -q -dSAFER -dBATCH -dNOPAUSE -sOutputFile=- ";
    // "P6", comment lines, then width and height.
    const std::string header = commandOutput(gs + "-sDEVICE=ppmraw -r72 \"" + name + "\"");
    const QStringList words = QString::fromLatin1(header.substr(0, 256).c_str())
                                  .remove(QRegularExpression("#[^\n]*\n"))
                                  .split(QRegularExpression("\\s+"));
    ASSERT_GE(words.size(), 3);
    EXPECT_EQ(words[0], "P6");
    EXPECT_EQ(words[1].toDouble(), 7.0 * kPointsPerInch);
    EXPECT_EQ(words[2].toDouble(), 3.5 * kPointsPerInch);
    expectFigureTexts(oneBlank(commandOutput(gs + "-sDEVICE=txtwrite \"" + name + "\"")), false);
}

TEST_F(FigureExport, SvgOfOneColumnWithItsTexts)
{
    const std::string name = file("ag3d.svg");
    exportAs(0, name);
    EXPECT_TRUE(messages().empty());
    const QString svg = QString::fromUtf8(contents(name));
    const QRegularExpressionMatch size =
        QRegularExpression("<svg width=\"([0-9.]+)mm\" height=\"([0-9.]+)mm\"").match(svg);
    ASSERT_TRUE(size.hasMatch());
    EXPECT_NEAR(size.captured(1).toDouble(), 3.5 * kMmPerInch, 0.01);
    EXPECT_NEAR(size.captured(2).toDouble(), 2.625 * kMmPerInch, 0.01);
    expectFigureTexts(svg.toStdString(), true);
}

// A folder that does not exist, and a name that is a folder: the message names the file, and
// the folder standing in the way is still there.
TEST_F(FigureExport, FailedWritesAreReported)
{
    const std::string missing = file("gone/ag3d.png");
    exportAs(0, missing);
    const std::string folder = file("taken.pdf");
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(folder)));
    exportAs(1, folder);
    const std::string tail = " - check that the folder exists and may be written to";
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Error in writing figure to " + missing + tail,
                                        "Error in writing figure to " + folder + tail}));
    EXPECT_TRUE(QDir(QString::fromStdString(folder)).exists());
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList());
}

}  // namespace
}  // namespace varnix::app
