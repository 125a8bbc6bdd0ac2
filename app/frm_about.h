// frmAbout: the About box (Help > About Varnix), a child window of the main window that shows
// the texts of core/display/about.h: the version as its title, what the program does, then one row each
// for the licence, the reference for the line shape, the program's folder and the manual's.
// "OK" closes it. It sets Module1's About flag while it is open.
#pragma once

#include "core/display/about.h"
#include "core/session/module1.h"

#include <QRect>
#include <QWidget>

#include <vector>

class QLabel;
class QMdiArea;
class QPushButton;

namespace varnix::app {

inline constexpr const char* kAboutCaption = "About Varnix";

class frmAbout : public QWidget {
    Q_OBJECT

public:
    frmAbout(Module1& module, const AboutText& text, QWidget* parent = nullptr);

    // The place of the window `frame` in a main window whose inner area is innerWidth ×
    // innerHeight: centred, 0.6 of its width and as high as its texts need at that width.
    static QRect geometryFor(const QWidget& frame, int innerWidth, int innerHeight);

    // Brings the About box of `area` forward, creating it first when there is none.
    static frmAbout* showIn(QMdiArea& area, Module1& module, const AboutText& text);

    // Puts an open About box of `area` in its place for the inner area of module.
    static void placeIn(QMdiArea& area, const Module1& module);

    QLabel* lblTitle() const { return m_lblTitle; }
    // The text of row `index`, in the order of AboutText::rows.
    QLabel* lblRow(int index) const;
    QPushButton* cmdOK() const { return m_cmdOK; }

protected:
    // Form_Unload.
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdOK_Click();

    Module1& m_module;
    QLabel* m_lblTitle = nullptr;
    std::vector<QLabel*> m_rows;
    QPushButton* m_cmdOK = nullptr;
};

}  // namespace varnix::app
