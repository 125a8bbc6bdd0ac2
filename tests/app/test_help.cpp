// The Help menu of the main window, offscreen: Help Topics shows the manual of the source tree
// at its contents page in the help window, or says where it looked when there is none; About
// Varnix shows the About box. And the manual itself: every page opens in the help window with
// its title, no entity left unread, every picture an image, and every link leads somewhere.
#include "frm_about.h"
#include "frm_help.h"
#include "manual_check.h"
#include "qt_environment.h"
#include "window_fixture.h"

#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>

namespace varnix::app {
namespace {

using namespace test;

const fs::path kManual = fs::path(VARNIX_SOURCE_DIR) / "docs" / "help";

QUrl pageUrl(const fs::path& page)
{
    return QUrl::fromLocalFile(QString::fromStdString(page.lexically_normal().string()));
}

class HelpMenu : public WindowFixture {
protected:
    HelpMenu() : WindowFixture(false) { started(); }

    frmAbout* about() const
    {
        for (QMdiSubWindow* frame : m_window->mdiArea()->subWindowList()) {
            if (auto* form = qobject_cast<frmAbout*>(frame->widget()); form && frame->isVisible()) {
                return form;
            }
        }
        return nullptr;
    }
};

TEST_F(HelpMenu, HelpTopicsShowsTheManualAtItsContentsPage)
{
    trigger("mnuHelpItem_0");
    frmHelp* help = m_window->help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser()->source(), pageUrl(kManual / "index.html"));
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Varnix manual"));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Varnix manual - Varnix Help"));
    EXPECT_TRUE(m_dialogs.records().empty());
}

TEST_F(HelpMenu, ContentsBackAndForwardMoveThroughThePages)
{
    trigger("mnuHelpItem_0");
    frmHelp& help = *m_window->help();
    QTextBrowser& browser = *help.browser();
    EXPECT_FALSE(help.cmdBack()->isEnabled());
    browser.setSource(pageUrl(kManual / "model.html"));
    EXPECT_EQ(browser.documentTitle(),
              QStringLiteral("The model: peaks, background and their parameters"));
    ASSERT_TRUE(help.cmdBack()->isEnabled());
    help.cmdBack()->click();
    EXPECT_EQ(browser.source(), pageUrl(kManual / "index.html"));
    ASSERT_TRUE(help.cmdForward()->isEnabled());
    help.cmdForward()->click();
    EXPECT_EQ(browser.source(), pageUrl(kManual / "model.html"));
    help.cmdContents()->click();
    EXPECT_EQ(browser.source(), pageUrl(kManual / "index.html"));
    // Help Topics again: the same window, at the contents page whatever it showed.
    browser.setSource(pageUrl(kManual / "links.html"));
    trigger("mnuHelpItem_0");
    EXPECT_EQ(m_window->help(), &help);
    EXPECT_EQ(browser.source(), pageUrl(kManual / "index.html"));
}

TEST_F(HelpMenu, MissingManualIsReportedWithWhereItWasLookedFor)
{
    const fs::path nowhere = m_folder.path() / "no_manual";
    fs::create_directories(nowhere);
    m_window->setHelpFolders({nowhere});
    trigger("mnuHelpItem_0");
    EXPECT_EQ(m_window->help(), nullptr);
    EXPECT_EQ(m_dialogs.texts(),
              std::vector<std::string>{"The Varnix manual was not found: no index.html in\n" +
                                       nowhere.string() +
                                       "\nInstall Varnix again (cmake --install) to bring the "
                                       "manual back."});
}

TEST_F(HelpMenu, AboutShowsVersionLicenceReferenceAndFolders)
{
    trigger("mnuHelpItem_1");
    frmAbout* box = about();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(m_module.windowOpen.about);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About Varnix"));
    EXPECT_EQ(box->lblTitle()->text(), m_window->windowTitle());
    EXPECT_TRUE(box->lblRow(0)->text().contains(QStringLiteral("GPL-3.0-or-later")));
    EXPECT_TRUE(box->lblRow(1)->text().startsWith(
        QStringLiteral("S. Doniach and M. \u0160unji\u0107, J. Phys. C 3, 285 (1970)")));
    EXPECT_EQ(fs::path(box->lblRow(2)->text().toStdString()),
              fs::path(VARNIX_PROGRAM_DIR).lexically_normal());
    EXPECT_EQ(fs::path(box->lblRow(3)->text().toStdString()), kManual.lexically_normal());

    // Chosen again, the open box comes forward instead of a second one.
    trigger("mnuHelpItem_1");
    EXPECT_EQ(m_window->mdiArea()->subWindowList().size(), 1);
    box->cmdOK()->click();
    EXPECT_EQ(about(), nullptr);
    EXPECT_FALSE(m_module.windowOpen.about);
}

TEST_F(HelpMenu, AboutStaysCentredWhenTheMainWindowIsResized)
{
    trigger("mnuHelpItem_1");
    m_window->resize(1100, 800);
    QApplication::processEvents();
    const QMdiArea& area = *m_window->mdiArea();
    const QRect frame = about()->parentWidget()->geometry();
    EXPECT_TRUE(area.rect().contains(frame));
    EXPECT_LE(std::abs(frame.center().x() - area.rect().center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - area.rect().center().y()), 1);
}

TEST(Manual, EveryLinkAndPictureLeadsSomewhere)
{
    const std::vector<std::string> problems = manualProblems(kManual);
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST(Manual, EveryPageOpensWithItsTitleAndPictures)
{
    frmHelp help;
    QTextBrowser& browser = *help.browser();
    // An entity the help window does not know stays in the text as written.
    const QRegularExpression unreadEntity(QStringLiteral("&#?[A-Za-z0-9]+;"));
    const std::vector<fs::path> pages = manualPages(kManual);
    ASSERT_GE(pages.size(), 10U);
    for (const fs::path& page : pages) {
        browser.setSource(pageUrl(page));
        EXPECT_FALSE(browser.documentTitle().isEmpty()) << page;
        EXPECT_FALSE(browser.toPlainText().contains(unreadEntity)) << page;
        for (const fs::path& picture : pagePictures(page)) {
            EXPECT_FALSE(QImage(QString::fromStdString(picture.string())).isNull()) << picture;
        }
    }
}

}  // namespace
}  // namespace varnix::app
