// frmHelp: the help window. The manual's HTML pages in a QTextBrowser, opened at their contents
// page by Help > Help Topics, with Contents, Back and Forward. A window of its own rather than a
// child of the main window, so that the manual can be read beside the windows it describes.
// Links that leave the manual (web addresses) open in the desktop's browser.
#pragma once

#include <QRect>
#include <QUrl>
#include <QWidget>

#include <filesystem>

class QPushButton;
class QTextBrowser;

namespace varnix::app {

inline constexpr const char* kHelpCaption = "Varnix Help";

class frmHelp : public QWidget {
    Q_OBJECT

public:
    explicit frmHelp(QWidget* parent = nullptr);

    // Shows `contentsPage` and makes it the page Contents goes back to.
    void showContents(const std::filesystem::path& contentsPage);

    // The window's place on a screen whose free area is `available`: its right part, 0.5 of
    // its width and 0.85 of its height.
    static QRect geometryFor(const QRect& available);

    QTextBrowser* browser() const { return m_browser; }
    QPushButton* cmdContents() const { return m_cmdContents; }
    QPushButton* cmdBack() const { return m_cmdBack; }
    QPushButton* cmdForward() const { return m_cmdForward; }

private:
    QPushButton* addButton(const char* caption, const char* name);
    void showTitle();

    QTextBrowser* m_browser = nullptr;
    QPushButton* m_cmdContents = nullptr;
    QPushButton* m_cmdBack = nullptr;
    QPushButton* m_cmdForward = nullptr;
    QUrl m_contents;
};

}  // namespace varnix::app
