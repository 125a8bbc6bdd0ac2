// The fit-parameter dialogs and the Customize windows in the main window, offscreen, through the
// real engine and file routines and the scripted dialogs: typing, leaving and closing the boxes,
// the values a calculation or fit then uses, colours applied to every open window, extensions
// reaching the open dialogs, and the settings stored.
#include "apply_colours.h"
#include "core/fit/calculate.h"
#include "core/fit/fit_controls.h"
#include "editor/frm_color.h"
#include "editor/frm_ext.h"
#include "editor/frm_fit_dialogs.h"
#include "qt_environment.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

const std::string kFitQuestion = "Fit Parameter Data Not Saved - Continue Exit Anyway?";

QString latin(const char* text)
{
    return QString::fromLatin1(text);
}

class Windows : public WindowFixture {
protected:
    Windows() : WindowFixture(true)
    {
        started();
        trigger("mnuOpenItem_0");
    }

    // The window of that kind still shown; a closed one lingers until the event loop ends it.
    template <class Form>
    Form* shown() const
    {
        for (Form* form : m_window->findChildren<Form*>()) {
            if (!form->parentWidget()->isHidden()) {
                return form;
            }
        }
        return nullptr;
    }

    template <class Form>
    Form* open(const char* entry)
    {
        trigger(entry);
        return shown<Form>();
    }

    static void type(QLineEdit& box, const QString& text)
    {
        box.setFocus();
        box.selectAll();
        QTest::keyClicks(&box, text);
    }

    std::vector<QWidget*> openWindows() const
    {
        std::vector<QWidget*> forms;
        for (QMdiSubWindow* frame : m_window->mdiArea()->subWindowList()) {
            if (!frame->isHidden()) {
                forms.push_back(frame->widget());
            }
        }
        return forms;
    }

    // The stored settings as the next start-up reads them.
    Module1 nextStart()
    {
        Module1 next;
        ScriptedDialogs quiet;
        FakeLock free(true);
        startUp(next, quiet, m_loader, free, m_folder.path().string());
        EXPECT_EQ(quiet.texts(), Texts{});
        return next;
    }
};

// ---- The fit-parameter dialogs ----------------------------------------------------------

TEST_F(Windows, FitDialogsOpenOnceWithTheirCaptionsLabelsFormatsAndPlaces)
{
    auto* simple = open<frmFitParameters>("mnuFitParItem_0");
    auto* advanced = open<frmFitAdvanced>("mnuFitParItem_1");
    ASSERT_TRUE(simple != nullptr && advanced != nullptr);
    trigger("mnuFitParItem_1");  // brought forward, not opened again
    EXPECT_EQ(m_window->findChildren<frmFitAdvanced*>().size(), 1);

    EXPECT_EQ(simple->windowTitle(), QStringLiteral("Fit Parameters"));
    EXPECT_EQ(advanced->windowTitle(), QStringLiteral("Extra Fit Parameters"));
    EXPECT_EQ(simple->findChild<QLabel*>(QStringLiteral("lblMaxit"))->text(), "MAXIT");
    EXPECT_EQ(simple->findChild<QLabel*>(QStringLiteral("lblRmin"))->text(), "RMIN");
    const char* labels[] = {"Lambda",
                            "LambdaFac",
                            "Max Lambda Iterations",
                            "Simpson EPS",
                            "Max Simpson Iterations",
                            "Integration Range"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(advanced->lblAdvanced(i)->text(), latin(labels[i]));
        EXPECT_EQ(advanced->findChild<QLineEdit*>(QStringLiteral("txtAdvanced_%1").arg(i)),
                  advanced->txtAdvanced(i));
    }
    // Filled in their formats (the formats themselves are the editor's tests).
    EXPECT_EQ(simple->txtRmin()->text(), QStringLiteral("1.00E-04"));
    EXPECT_EQ(advanced->txtAdvanced(1)->text(), QStringLiteral("10.0000"));
    // Right of the middle of the inner area, the simple dialog at the top, the advanced one
    // from 0.3 of the height down; both 0.35 of the width at least.
    const QWidget* simpleFrame = simple->parentWidget();
    const QWidget* advancedFrame = advanced->parentWidget();
    EXPECT_EQ(simpleFrame->pos(), QPoint(m_module.innerWidth / 2, 0));
    EXPECT_EQ(advancedFrame->pos(),
              QPoint(m_module.innerWidth / 2, static_cast<int>(0.3 * m_module.innerHeight)));
    EXPECT_GE(simpleFrame->width(), static_cast<int>(0.35 * m_module.innerWidth));
    EXPECT_GE(advancedFrame->height(), static_cast<int>(0.66 * m_module.innerHeight));
    EXPECT_TRUE(m_dialogs.texts().empty());
    EXPECT_TRUE(m_module.fitParametersSaved);
}

TEST_F(Windows, TypedValuesAreSavedAndClosingCommitsThem)
{
    auto* simple = open<frmFitParameters>("mnuFitParItem_0");
    QAction* save = action("mnuSaveItem_1");
    ASSERT_FALSE(save->isEnabled());
    type(*simple->txtMaxit(), QStringLiteral("60"));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(save->isChecked());
    EXPECT_EQ(m_module.fitControls.maxit, 51);  // still in the box
    trigger("mnuSaveItem_1");                   // as a shortcut would, with the focus in the box
    EXPECT_TRUE(save->isChecked());
    EXPECT_EQ(nextStart().fitControls.maxit, 60);

    type(*simple->txtMaxit(), QStringLiteral("61"));
    EXPECT_FALSE(save->isChecked());
    QTest::mouseClick(simple->cmdClose(), Qt::LeftButton);
    EXPECT_EQ(shown<frmFitParameters>(), nullptr);
    EXPECT_EQ(m_module.fitControls.maxit, 61);
    m_dialogs.answerYesNo(false);
    EXPECT_FALSE(m_window->close());
    EXPECT_EQ(m_dialogs.texts(), Texts{kFitQuestion});
}

TEST_F(Windows, TextThatIsNoNumberIsFlaggedAndAValueOutOfRangeRefused)
{
    auto* advanced = open<frmFitAdvanced>("mnuFitParItem_1");
    QLineEdit& lambdaFac = *advanced->txtAdvanced(1);
    const QColor normal = toQColor(m_module.colours.textBoxBack);
    type(lambdaFac, QStringLiteral("ten"));
    EXPECT_EQ(lambdaFac.palette().color(QPalette::Base), normal);  // not while typing
    advanced->txtAdvanced(2)->setFocus();
    EXPECT_NE(lambdaFac.palette().color(QPalette::Base), normal);
    EXPECT_EQ(m_module.fitControls.lambdaFac, 10.0);

    type(lambdaFac, QStringLiteral("0.5"));
    EXPECT_EQ(lambdaFac.palette().color(QPalette::Base), normal);  // a number again
    advanced->txtAdvanced(2)->setFocus();
    EXPECT_EQ(m_dialogs.texts(), Texts{"LambdaFac must be greater than 1 - value not changed"});
    EXPECT_EQ(lambdaFac.text(), QStringLiteral("10.0000"));
    EXPECT_EQ(m_module.fitControls.lambdaFac, 10.0);
}

struct StartCase {
    const char* name;
    const char* dialog;  // the menu entry that opens it
    const char* box;
    FitControlField field;
    const char* typed;
    const char* command;  // chosen while the box still has the focus
};

class TypedBeforeACommand : public Windows, public testing::WithParamInterface<StartCase> {};

// A menu entry or its shortcut leaves the focus in the box: the value typed must still count.
TEST_P(TypedBeforeACommand, IsTheValueTheCommandUses)
{
    const StartCase& c = GetParam();
    trigger(c.dialog);
    auto* box = m_window->findChild<QLineEdit*>(latin(c.box));
    ASSERT_NE(box, nullptr);
    type(*box, latin(c.typed));
    ASSERT_TRUE(box->hasFocus());
    const Module1 before = m_module;
    const bool fit = std::string(c.command) == "mnuFit";

    // The same command on the records alone, with the value typed and with the one before.
    auto reference = [&](bool withTyped) {
        Module1 m = before;
        if (withTyped) {
            setFitControl(m.fitControls, c.field, *convertFitControlText(c.field, c.typed));
        }
        ScriptedDialogs quiet;
        MenuState menu = m_window->menuState();
        if (fit) {
            app::mnuFit_Click(m, quiet, m_loader, menu, FitHooks{});
        } else {
            calculateSpectrum(m, quiet, m_loader, menu, CalculationHooks{});
        }
        return m;
    };
    const Module1 typed = reference(true);
    const Module1 untyped = reference(false);
    trigger(c.command);

    EXPECT_EQ(m_module.fitControls, typed.fitControls);
    EXPECT_EQ(m_module.spectrum.calculated, typed.spectrum.calculated);
    EXPECT_EQ(m_module.fitResults.parameters, typed.fitResults.parameters);
    ASSERT_NE(typed.spectrum.calculated, untyped.spectrum.calculated);  // the value mattered
    // A fit closes both dialogs; a calculation leaves them open.
    EXPECT_EQ(shown<FitDialog>() == nullptr, fit);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, TypedBeforeACommand, testing::Values(
    StartCase{"MaxitBeforeStartFit", "mnuFitParItem_0", "txtMaxit", FitControlField::Maxit, "0",
              "mnuFit"},
    StartCase{"LambdaBeforeStartFit", "mnuFitParItem_1", "txtAdvanced_0", FitControlField::Lambda,
              "1e3", "mnuFit"},
    StartCase{"IntegrationRangeBeforeCalculate", "mnuFitParItem_1", "txtAdvanced_5",
              FitControlField::IntegrationRange, "1.5", "mnuCalculate"}),
    [](const testing::TestParamInfo<StartCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Colours ----------------------------------------------------------------------------

TEST_F(Windows, AppliedColoursReachEveryOpenWindow)
{
    trigger("mnuEditHeader");
    trigger("mnuFitParItem_0");
    trigger("mnuFitParItem_1");
    trigger("mnuCustomizeItem_1");
    auto* colours = open<frmColor>("mnuCustomizeItem_0");
    ASSERT_NE(colours, nullptr);
    const std::vector<QWidget*> forms = openWindows();
    ASSERT_EQ(forms.size(), 7U);  // plot, setup, header, two fit dialogs, extensions, colours

    const QColor blue(0, 0, 255);
    colours->slider(kRed)->setValue(0);
    colours->slider(kGreen)->setValue(0);
    colours->slider(kBlue)->setValue(255);
    EXPECT_EQ(colours->txt(kBlue)->text(), QStringLiteral("255"));
    EXPECT_EQ(m_module.colours.windowBack, 0xFF0000);
    EXPECT_EQ(colours->picColor()->palette().color(QPalette::Window), blue);
    for (QWidget* form : forms) {
        EXPECT_NE(form->palette().color(QPalette::Window), blue)
            << form->objectName().toStdString();
    }
    QTest::mouseClick(colours->cmdApply(), Qt::LeftButton);
    EXPECT_EQ(m_window->palette().color(QPalette::Window), blue);
    for (QWidget* form : forms) {
        EXPECT_EQ(form->palette().color(QPalette::Window), blue)
            << form->objectName().toStdString();
    }
    // Text boxes keep their own colour, the preview its own.
    EXPECT_EQ(shown<frmFitAdvanced>()->txtAdvanced(0)->palette().color(QPalette::Base),
              QColor(Qt::white));
    EXPECT_EQ(colours->picColor()->palette().color(QPalette::Window), blue);
}

TEST_F(Windows, SaveAndExitStoresTheColoursAndAFailedStoreKeepsThem)
{
    auto* colours = open<frmColor>("mnuCustomizeItem_0");
    click(colours->opt(ColourTarget::Text));
    EXPECT_EQ(colours->lblCaption()->text(), QStringLiteral("Select ForeGround Colour"));
    type(*colours->txt(kGreen), QStringLiteral("128"));
    EXPECT_EQ(colours->slider(kGreen)->value(), 128);
    type(*colours->txt(kRed), QStringLiteral("-5"));  // nothing changes
    EXPECT_EQ(m_module.colours.text, 0x008000);
    QTest::mouseClick(colours->cmdClose(), Qt::LeftButton);
    EXPECT_EQ(shown<frmColor>(), nullptr);
    EXPECT_TRUE(m_dialogs.texts().empty());
    EXPECT_EQ(nextStart().colours.text, 0x008000);

    fs::remove(m_folder.path() / "fini.dat");
    fs::create_directory(m_folder.path() / "fini.dat");
    colours = open<frmColor>("mnuCustomizeItem_0");
    QTest::mouseClick(colours->cmdDefaults(), Qt::LeftButton);
    QTest::mouseClick(colours->cmdClose(), Qt::LeftButton);
    EXPECT_EQ(m_dialogs.texts(), Texts{"Error in writing customization parameters -\n"
                                       "Delete fini.dat or copy fini.sav over fini.dat"});
    EXPECT_EQ(shown<frmColor>(), nullptr);
    EXPECT_EQ(m_module.colours, Colours{});  // the defaults stay in force
}

// ---- File extensions --------------------------------------------------------------------

TEST_F(Windows, ExtensionsTypedReachTheOpenDialogsAndAreStoredOnClose)
{
    auto* extensions = open<frmExt>("mnuCustomizeItem_1");
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(extensions->windowTitle(), QStringLiteral("File Extensions"));
    EXPECT_EQ(extensions->maskData()->text(), QStringLiteral("dat"));
    EXPECT_EQ(extensions->maskConfig()->text(), QStringLiteral("cfg"));
    type(*extensions->maskData(), QStringLiteral("xy"));
    type(*extensions->maskConfig(), QStringLiteral("c.f7"));  // the mask takes letters and digits
    EXPECT_EQ(m_module.dataExtension, "xy");
    EXPECT_EQ(m_module.configExtension, "cf7");

    m_dialogs.answerOpenFile(std::nullopt).answerOpenFile(std::nullopt);
    trigger("mnuOpenItem_1");
    trigger("mnuOpenItem_2");
    ASSERT_EQ(m_dialogs.records().size(), 2U);
    EXPECT_EQ(m_dialogs.records()[0].filter, "User Data Files (*.xy);;All Files (*)");
    EXPECT_EQ(m_dialogs.records()[1].filter, "User Configuration Files (*.cf7);;All Files (*)");

    QTest::mouseClick(extensions->cmdClose(), Qt::LeftButton);
    EXPECT_EQ(shown<frmExt>(), nullptr);
    const Module1 next = nextStart();
    EXPECT_EQ(next.dataExtension, "xy");
    EXPECT_EQ(next.configExtension, "cf7");
}

}  // namespace
}  // namespace varnix::app
