// frmCorrelation: the correlation matrix of the last finished fit's varied parameters, as an
// upper triangle in mgrCorrelation with their names along all four edges. Filled once, when it
// loads; it follows a later fit only when opened again.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/module1.h"

#include <QRect>
#include <QWidget>

class QMdiArea;
class QPushButton;
class QTableWidget;

namespace varnix::app {

inline constexpr const char* kCorrelationCaption = "Correlation Matrix";

class frmCorrelation : public QWidget {
    Q_OBJECT

public:
    // Form_Load: places the controls in a main window whose inner area is module.innerWidth ×
    // module.innerHeight and fills the grid; without an error matrix it says so and stays empty.
    frmCorrelation(Module1& module, Dialogs& dialogs, QWidget* parent = nullptr);

    // The window's place: the top left of the main window's inner area, all its width and 0.96
    // of its height.
    static QRect geometryFor(int innerWidth, int innerHeight);

    // Brings the correlation window of `area` forward, creating it first when there is none.
    static frmCorrelation* showIn(QMdiArea& area, Module1& module, Dialogs& dialogs);

    // Sizes and fills the grid from a freshly computed correlation matrix.
    void correlation();

    QTableWidget* mgrCorrelation() const { return m_mgrCorrelation; }
    QPushButton* cmdClose() const { return m_cmdClose; }

protected:
    // Form_Unload.
    void closeEvent(QCloseEvent* event) override;

private:
    void placeControls();
    void sizeGridFor(int order);
    void cmdClose_Click();

    Module1& m_module;
    Dialogs& m_dialogs;
    QTableWidget* m_mgrCorrelation = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

}  // namespace varnix::app
