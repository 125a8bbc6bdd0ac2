// frmResults: the results window. The grid grdDS shows every peak's fitted parameters with their
// standard deviations, its area and width; grdPolynomial the background coefficients; txtCond
// the condition number once the error matrix exists; after a finished fit, a second grid the σ
// of every peak's area, share, widths and maximum, with the diagnosis under it. Update
// Configuration makes the fitted values the configuration; Correlation Matrix asks the main window
// for the correlation window.
//
// The window never ends the program itself: UpdateResults reports a negative diagonal element
// of the error matrix, and the fit driver, which knows the menus before its command, ends the
// program through endProgram.
#pragma once

#include "core/display/results_table.h"
#include "core/session/dialogs.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <QSize>
#include <QWidget>

#include <string>
#include <vector>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace varnix::app {

class UncertaintyGrid;

inline constexpr const char* kResultsCaption = "Results after previous iteration";
inline constexpr const char* kFinalResultsCaption = "Final Results";

class frmResults : public QWidget {
    Q_OBJECT

public:
    // Form_Load: lays out both grids for the configuration's peaks, background and energy scale,
    // with the condition number hidden; UpdateResults fills them.
    frmResults(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent = nullptr);

    // Lays both grids out afresh for the configuration's peaks, background and energy scale,
    // empty, with the first caption and the condition number hidden: the window as a new one
    // would be. A new fit does this rather than making a new window.
    void Form_Load();

    // The window's size in a main window whose inner area is innerWidth × innerHeight.
    static QSize sizeFor(int innerWidth, int innerHeight);

    // Fills both grids and the condition number from the fit results, after any message about a
    // peak width. false, with nothing shown or changed, when the error matrix has a negative
    // diagonal element: the caller then shows engine::kNegativeDiagonalMessage and ends the
    // program through endProgram.
    bool UpdateResults();

    // While a fit iterates, neither command is offered.
    void hideCommands();
    // At the end of a fit: Update Configuration again, Correlation Matrix unless the fit was
    // broken off (it has no error matrix then), and the caption "Final Results".
    void showFinalResults(bool brokenOff);

    QTableWidget* grdDS() const { return m_grdDS; }
    QTableWidget* grdPolynomial() const { return m_grdPolynomial; }
    QLabel* lblDS() const { return m_lblDS; }
    QLabel* lblPoly() const { return m_lblPoly; }
    QPushButton* cmdUpdate() const { return m_cmdUpdate; }
    QPushButton* cmdCorrelation() const { return m_cmdCorrelation; }
    QLabel* lblCond() const { return m_lblCond; }
    QLineEdit* txtCond() const { return m_txtCond; }
    UncertaintyGrid* uncertainties() const { return m_uncertainties; }

signals:
    // Correlation Matrix was clicked: the main window opens the correlation window.
    void correlationRequested();
    // Update Configuration changed the menu state the window was given.
    void menuStateChanged();

protected:
    // Form_Unload.
    void closeEvent(QCloseEvent* event) override;
    // The rows follow the window's height and the columns its width.
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void layoutControls();
    void formatPeakGrid();
    void sizePeakGrid();
    void formatPolynomialGrid(int coefficients);
    void sizePolynomialGrid();
    void sizeGrids();
    void placeConditionNumber();
    int rowHeight() const;
    void showPeakRows(const std::vector<PeakRow>& rows);
    void showCoefficients(const std::vector<std::string>& coefficients);
    void cmdUpdate_Click();
    void cmdCorrelation_Click();

    Module1& m_module;
    Dialogs& m_dialogs;
    MenuState& m_menu;
    QTableWidget* m_grdDS = nullptr;
    QTableWidget* m_grdPolynomial = nullptr;
    QLabel* m_lblDS = nullptr;
    QLabel* m_lblPoly = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdCorrelation = nullptr;
    QLabel* m_lblCond = nullptr;
    QLineEdit* m_txtCond = nullptr;
    QGridLayout* m_commands = nullptr;
    UncertaintyGrid* m_uncertainties = nullptr;
};

}  // namespace varnix::app
