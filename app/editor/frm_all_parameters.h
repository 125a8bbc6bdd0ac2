// frmAllParameters: the whole configuration at a glance, one row of the read-only grid grdDS per
// parameter (name, value, fixed, partner, factor or offset), as it was when the window opened.
// The setup window's Show All opens it anew to show later edits.
#pragma once

#include "core/module1.h"

#include <QRect>
#include <QWidget>

class QPushButton;
class QTableWidget;

namespace varnix::app {

inline constexpr const char* kAllParametersCaption =
    "Configuration Parameters for Doniach/Sunjic XPS Fit";

class frmAllParameters : public QWidget {
    Q_OBJECT

public:
    // Form_Load: the grid filled from the configuration, the window's open flag set.
    explicit frmAllParameters(Module1& module, QWidget* parent = nullptr);

    // The sub-window's place in a main window whose inner area is innerWidth × innerHeight: the
    // right half, at the top.
    static QRect geometryFor(int innerWidth, int innerHeight);

    QTableWidget* grdDS() const { return m_grdDS; }
    QPushButton* cmdClose() const { return m_cmdClose; }

protected:
    // Form_Unload.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawGrid();
    void placeControls();
    void cmdClose_Click();

    Module1& m_module;
    QTableWidget* m_grdDS = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

}  // namespace varnix::app
