// The program's own message boxes, offscreen: Return answers each question with the default
// button its caller named, so that a hurried Return never throws work away.
#include "qt_dialogs.h"
#include "qt_environment.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace varnix::app
