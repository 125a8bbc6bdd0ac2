// frmGraph: the plot window. Graph1 shows the picture the core computes (plotPicture); dragging
// with the left button in Zoom mode cuts the spectrum to the energies of the rectangle, Reset
// brings the full spectrum back. The window changes the records only through the core's
// ReSizePlot and resetZoom and then asks the main window, by dataChanged, to redraw it: Plot and
// the menu state are the main window's.
//
// Select mode belongs with the peak setup window: while that window is open the peak selector
// (txtPeak, UpDownPeak) is shown and follows its selected peak, and in Select mode a release in
// the chart asks, by peakMoved, to move that peak there. A peak number typed or stepped here is
// passed on by peakChosen; the main window hands both to the setup window.
//
// The chart's context menu and the button cmdExport offer the picture shown as a figure for a
// paper, one or two journal columns wide (core/plot_export.h); the file is chosen through the
// save dialog of Dialogs.
#pragma once

#include "core/dialogs.h"
#include "core/menu_state.h"
#include "core/module1.h"
#include "core/plot_export.h"
#include "core/plot_sets.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

class QCustomPlot;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QPushButton;
class QRadioButton;
class QRubberBand;

namespace varnix::app {

class UpDown;

class frmGraph : public QWidget {
    Q_OBJECT

public:
    frmGraph(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent = nullptr);
    ~frmGraph() override;

    // The sub-window's place in a main window whose inner area is innerWidth × innerHeight:
    // the right half, at the top.
    static QRect geometryFor(int innerWidth, int innerHeight);

    // Plot's drawing (display/chart_drawing.h): one graph per set, the limits, titles, ticks and
    // legend, a reversed axis for binding energies; then the chart is shown and plotShown set.
    // The picture is kept for an export.
    void showPicture(const PlotPicture& picture);

    // Export > single column (0) or double column (1): the picture shown, as a figure.
    void mnuExportItem_Click(int index);

    // The calculation and fit commands switch the modes off while they run.
    void setModeOptionsEnabled(bool enabled);
    // The peak selector (lblSelect, txtPeak, UpDownPeak): shown while the peak setup window is
    // open; a fit hides it until the window is next opened.
    void showPeakSelector(bool shown);
    // The peak setup window opened or closed: optSelect and the peak selector with it. Closing
    // it leaves Select mode for Zoom.
    void setSelectEnabled(bool enabled);
    // The setup window's peak number and its upper limit, written without passing them back.
    void showPeakNumber(int peak);
    void setPeakLimit(int peaks);

    QCustomPlot* Graph1() const { return m_graph; }
    QRadioButton* optSelect() const { return m_optSelect; }
    QRadioButton* optZoom() const { return m_optZoom; }
    QRadioButton* optReset() const { return m_optReset; }
    QLineEdit* txtX() const { return m_txtX; }
    QLineEdit* txtY() const { return m_txtY; }
    QLineEdit* txtPeak() const { return m_txtPeak; }
    UpDown* UpDownPeak() const { return m_upDownPeak; }
    QPushButton* cmdExport() const { return m_cmdExport; }
    // The menu of cmdExport and of the chart's context menu.
    QMenu* exportMenu() const { return m_exportMenu; }

signals:
    // A zoom or Reset changed the data: redraw with the current plot type and apply the menu
    // state (a zoom enables Save As > Data).
    void dataChanged();
    // Reset brought back data the model was not calculated on: it is to be calculated again
    // before dataChanged draws it.
    void modelNeeded();
    // A text for the main window's status line.
    void statusMessage(const QString& text);
    // The peak number typed into txtPeak or stepped with UpDownPeak, as txtPeak shows it.
    void peakChosen(const QString& text);
    // Select mode: the left button released at this energy, as the chart shows it, and
    // intensity.
    void peakMoved(double shownEnergy, double intensity);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    QLabel* addLabel(const char* caption, const char* name);
    QLineEdit* addReadout(const char* name);
    QRadioButton* addOption(const char* caption, const char* name);
    void createExportMenu();
    void Graph1_ContextMenu(const QPoint& at);
    void Form_Load();
    void PlaceThings();
    void Graph1_MouseDown(QMouseEvent* event);
    void Graph1_MouseMove(QMouseEvent* event);
    void Graph1_MouseUp(QMouseEvent* event);
    void optZoom_Click();
    void optReset_Click();
    void txtPeak_Change();
    void UpDownPeak_Change(int peak);
    double energyAt(int x) const;

    Module1& m_module;
    Dialogs& m_dialogs;
    MenuState& m_menu;
    PlotPicture m_picture;  // as last shown
    bool m_loaded = false;
    bool m_dragging = false;
    QPoint m_pressPoint;
    double m_pressEnergy = 0.0;  // shown energy under the press

    QCustomPlot* m_graph = nullptr;
    QRubberBand* m_rubberBand = nullptr;
    QWidget* m_pic1 = nullptr;
    QRadioButton* m_optSelect = nullptr;
    QRadioButton* m_optZoom = nullptr;
    QRadioButton* m_optReset = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_lblSelect = nullptr;
    QLineEdit* m_txtX = nullptr;
    QLineEdit* m_txtY = nullptr;
    QLineEdit* m_txtPeak = nullptr;
    UpDown* m_upDownPeak = nullptr;
    QPushButton* m_cmdExport = nullptr;
    QMenu* m_exportMenu = nullptr;
};

}  // namespace varnix::app
