// The program's own message boxes, offscreen: Return answers each question with the default
// button its caller named, so that a hurried Return never throws work away.
#include "qt_dialogs.h"
#include "qt_environment.h"
#include "region_chooser.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace varnix::app {
namespace {

struct ReturnCase {
    const char* name;
    bool okCancel;  // an OK/Cancel question, else Yes/No
    DefaultButton defaultButton;
    bool answer;  // what Return answers
};

class ReturnKey : public testing::TestWithParam<ReturnCase> {};

TEST_P(ReturnKey, AnswersWithTheNamedDefaultButton)
{
    const ReturnCase& c = GetParam();
    const std::string question = "Config Data Not Saved - Continue Exit Anyway?";
    QString shown;
    // The box is modal: it is found and answered from the event loop it runs.
    QTimer press;
    press.setInterval(10);
    QObject::connect(&press, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box != nullptr && box->isVisible()) {
                press.stop();
                shown = box->text();
                QTest::keyClick(box, Qt::Key_Return);
                return;
            }
        }
    });
    press.start();
    QtDialogs dialogs(QStringLiteral("Varnix"));
    const bool answer = c.okCancel ? dialogs.askOkCancel(question, c.defaultButton)
                                   : dialogs.askYesNo(question, c.defaultButton);
    EXPECT_EQ(shown.toStdString(), question);
    EXPECT_EQ(answer, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Questions, ReturnKey,
    testing::Values(ReturnCase{"YesNoDefaultYes", false, DefaultButton::YesOrOk, true},
                    ReturnCase{"YesNoDefaultNo", false, DefaultButton::NoOrCancel, false},
                    ReturnCase{"OkCancelDefaultOk", true, DefaultButton::YesOrOk, true},
                    ReturnCase{"OkCancelDefaultCancel", true, DefaultButton::NoOrCancel, false}),
    [](const testing::TestParamInfo<ReturnCase>& p) { return std::string(p.param.name); });

// ---- The region chooser: greyed rows out of reach, OK only for a row, double click chooses ----

using ChooserAction = std::function<void(RegionChooser&)>;

// The chooser is modal: it is found and acted on from the event loop it runs.
std::optional<int32_t> chooseWith(const RegionRequest& request, const ChooserAction& act)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* chooser = qobject_cast<RegionChooser*>(widget);
            if (chooser != nullptr && chooser->isVisible()) {
                poll.stop();
                act(*chooser);
                // An action that left the dialog open has failed; close it rather than hang.
                if (chooser->isVisible()) {
                    ADD_FAILURE() << "the chooser is still open";
                    chooser->reject();
                }
                return;
            }
        }
    });
    poll.start();
    QtDialogs dialogs(QStringLiteral("Varnix"));
    return dialogs.chooseRegion(request);
}

QPushButton* button(RegionChooser& chooser, const char* name)
{
    return chooser.findChild<QPushButton*>(QString::fromLatin1(name));
}

void clickRow(RegionChooser& chooser, int row, bool twice)
{
    QTableWidget& grid = *chooser.grdRegions();
    const QPoint at = grid.visualItemRect(grid.item(row, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    // For a widget QTest sends the double click alone, without the press a user's first click
    // makes.
    if (twice) {
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    }
}

struct ChooserCase {
    const char* name;
    int32_t proposed;
    ChooserAction act;
    std::optional<int32_t> chosen;
};

class RegionChooserDialog : public testing::TestWithParam<ChooserCase> {};

TEST_P(RegionChooserDialog, ChoosesOnlyARowThatCanBeRead)
{
    const ChooserCase& c = GetParam();
    const RegionRequest request{
        "/data/depth.vms",
        {{1, "depth profile", "", "not an energy axis", "3", "1486.6", false},
         {2, "C 1s", "1186.69 \u2192 1216.69", "kinetic", "301", "1486.69", true},
         {3, "W 4f", "1436.69 \u2192 1461.69", "kinetic", "251", "1486.69", true}},
        c.proposed};
    QString shown;
    const auto chosen = chooseWith(request, [&](RegionChooser& chooser) {
        shown = chooser.grdRegions()->item(2, 1)->text() + " " +
                chooser.grdRegions()->item(0, 3)->text();
        c.act(chooser);
    });
    EXPECT_EQ(shown, QStringLiteral("W 4f not an energy axis"));
    EXPECT_EQ(chosen, c.chosen);
}

const ChooserAction kOk = [](RegionChooser& chooser) {
    QTest::mouseClick(button(chooser, "cmdOK"), Qt::LeftButton);
};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Actions, RegionChooserDialog, testing::Values(
    ChooserCase{"ProposedRowThenOk", 3, kOk, 3},
    ChooserCase{"ClickedRowThenOk", 3, [](RegionChooser& chooser) {
                    clickRow(chooser, 1, false);
                    kOk(chooser);
                }, 2},
    ChooserCase{"GreyedRowIsOutOfReach", 0, [](RegionChooser& chooser) {
                    clickRow(chooser, 0, true);
                    EXPECT_FALSE(chooser.selectedRegion().has_value());
                    EXPECT_FALSE(button(chooser, "cmdOK")->isEnabled());
                    clickRow(chooser, 1, true);  // a double click on a readable row chooses it
                }, 2},
    ChooserCase{"Cancel", 2, [](RegionChooser& chooser) {
                    QTest::mouseClick(button(chooser, "cmdCancel"), Qt::LeftButton);
                }, std::nullopt}),
    [](const testing::TestParamInfo<ChooserCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
