// The main window's plot, calculation and fit: Plot and the Plot menu, Calculate Spectrum,
// Start Fit and Break, and the plot, results and correlation windows they open. The core runs
// the commands; the hooks given to it are the only places they touch widgets.
#include "frm_main.h"

#include "core/display/plot_sets.h"
#include "display/frm_correlation.h"
#include "display/frm_graph.h"
#include "display/frm_results.h"
#include "editor/frm_all_parameters.h"
#include "editor/frm_ds_setup.h"
#include "engine_call_runner.h"
#include "statistics.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QStatusBar>

#include <utility>

namespace varnix::app {

namespace {

// Seconds between two displays of a running fit: several a second still look like following
// every iteration.
constexpr double kFitDisplayInterval = 0.1;

}  // namespace

frmGraph* frmMain::graph() const
{
    return formOf<frmGraph>(m_graph);
}

frmResults* frmMain::results() const
{
    return formOf<frmResults>(m_results);
}

// ---- the plot window --------------------------------------------------------------------

void frmMain::Plot()
{
    if (!m_module.dataLoaded) {
        return;
    }
    updateResiduals(m_module);
    openGraph().showPicture(plotPicture(m_module));
}

void frmMain::mnuPlotItem_Click(int index)
{
    choosePlotItem(m_module, m_menu, index);
    applyMenuState();
    Plot();
}

frmGraph& frmMain::openGraph()
{
    if (frmGraph* open = graph()) {
        return *open;
    }
    auto* form = new frmGraph(m_module, m_dialogs, m_menu);
    // A zoom or Reset changed the data: drawn again as the Plot menu last chose, with the
    // menus a zoom changes.
    connect(form, &frmGraph::dataChanged, this,
            [this] { mnuPlotItem_Click(m_module.plot.plotType); });
    connect(form, &frmGraph::modelNeeded, this, &frmMain::recalculateModel);
    connect(form, &frmGraph::statusMessage, this,
            [this](const QString& text) { setStatusText(text.toStdString()); });
    connect(form, &frmGraph::peakChosen, this, &frmMain::plotPeakChosen);
    connect(form, &frmGraph::peakMoved, this, &frmMain::plotPeakMoved);
    m_graph = m_mdi->addSubWindow(form);
    m_graph->setAttribute(Qt::WA_DeleteOnClose);
    m_graph->setGeometry(frmGraph::geometryFor(m_module.innerWidth, m_module.innerHeight));
    m_graph->show();
    return *form;
}

void frmMain::closeGraph()
{
    if (m_graph != nullptr) {
        m_graph->close();
    }
}

// ---- the result windows -----------------------------------------------------------------

frmResults& frmMain::openResults()
{
    if (frmResults* open = results()) {
        return *open;
    }
    auto* form = new frmResults(m_module, m_dialogs, m_menu);
    connect(form, &frmResults::correlationRequested, this, &frmMain::openCorrelation);
    // Update Configuration took the fitted values.
    connect(form, &frmResults::menuStateChanged, this, [this] {
        applyMenuState();
        refreshSetup();
    });
    m_results = m_mdi->addSubWindow(form);
    m_results->setAttribute(Qt::WA_DeleteOnClose);
    m_results->resize(frmResults::sizeFor(m_module.innerWidth, m_module.innerHeight));
    m_results->show();
    return *form;
}

void frmMain::openCorrelation()
{
    frmCorrelation::showIn(*m_mdi, m_module, m_dialogs);
}

void frmMain::closeResultWindows()
{
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (qobject_cast<frmResults*>(window->widget()) != nullptr ||
            qobject_cast<frmCorrelation*>(window->widget()) != nullptr) {
            window->close();
        }
    }
}

// A fit starts from empty result windows: the correlations of the previous fit go, the results
// window is laid out afresh for the configuration (as reloading it would, without rebuilding
// its widgets every fit).
void frmMain::clearResultWindows()
{
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (qobject_cast<frmCorrelation*>(window->widget()) != nullptr) {
            window->close();
        }
    }
    if (frmResults* form = results()) {
        form->Form_Load();
    }
}

// The open windows take their places in the new inner area; the results are shown again, as
// their rows are sized from it. The setup window is moved, not opened anew: opening it redraws
// the plot as the experimental spectrum only and resets the status line.
void frmMain::relayoutChildren()
{
    const int w = m_module.innerWidth;
    const int h = m_module.innerHeight;
    if (graph() != nullptr) {
        m_graph->setGeometry(frmGraph::geometryFor(w, h));
    }
    if (setup() != nullptr) {
        m_setup->setGeometry(frmDSSetup::geometryFor(w, h));
    }
    if (allParameters() != nullptr) {
        m_allParameters->setGeometry(frmAllParameters::geometryFor(w, h));
    }
    if (frmResults* form = results()) {
        m_results->resize(frmResults::sizeFor(w, h));
        form->UpdateResults();
    }
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (qobject_cast<frmCorrelation*>(window->widget()) != nullptr) {
            window->setGeometry(frmCorrelation::geometryFor(w, h));
        }
    }
}

// ---- Calculate Spectrum -----------------------------------------------------------------

void frmMain::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

CalculationHooks frmMain::calculationHooks()
{
    CalculationHooks hooks;
    // Painted when the command next lets events run, which both commands do before each
    // engine call: an immediate repaint would paint the line twice.
    hooks.showStatus = [this](std::string_view text) { setStatusText(text); };
    hooks.setBusy = [this](bool busy) { setBusy(busy); };
    hooks.enablePlotModes = [this](bool enabled) {
        if (frmGraph* form = graph()) {
            form->setModeOptionsEnabled(enabled);
        }
    };
    hooks.processEvents = [] { QCoreApplication::processEvents(); };
    // As the Plot menu last chose, with its check mark: the command may just have turned the
    // experimental spectrum into spectrum and model.
    hooks.redrawPlot = [this] { mnuPlotItem_Click(m_module.plot.plotType); };
    hooks.runEngine = engineRunner();
    return hooks;
}

EngineRunner frmMain::engineRunner()
{
    return [this](const std::function<void()>& call) { m_engineCalls->run(call); };
}

void frmMain::beginEngineCommand()
{
    ++m_engineCommands;
}

// The command is over: the menus show what it left. Exit chosen while it ran and not yet
// answered is carried out once the window is idle again, as if chosen then, unless the command
// ends the program itself.
void frmMain::endEngineCommand(bool quitting)
{
    --m_engineCommands;
    applyMenuState();
    if (quitting) {
        quit();
    } else if (m_engineCommands == 0 && std::exchange(m_exitRequested, false)) {
        QMetaObject::invokeMethod(this, &frmMain::close, Qt::QueuedConnection);
    }
}

void frmMain::mnuCalculate_Click()
{
    commitSetupBoxes();
    commitFitDialogs();
    beginEngineCommand();
    const CalculationOutcome outcome =
        calculateSpectrum(m_module, m_dialogs, m_loader, m_menu, calculationHooks());
    endEngineCommand(outcome == CalculationOutcome::Quit);
}

void frmMain::recalculateModel()
{
    commitFitDialogs();
    beginEngineCommand();
    const CalculationOutcome outcome =
        app::recalculateModel(m_module, m_dialogs, m_loader, m_menu, engineRunner());
    endEngineCommand(outcome == CalculationOutcome::Quit);
}

// The exit checks have passed already: the window closes without asking again.
void frmMain::quit()
{
    m_quitting = true;
    close();
}

// ---- Start Fit and Break ----------------------------------------------------------------

void frmMain::setIterationPanels(const IterationPanels& panels)
{
    m_panels.at(0)->setText(QString::fromStdString(panels.iteration));
    m_panels.at(1)->setText(QString::fromStdString(panels.r));
    m_panels.at(2)->setText(QString::fromStdString(panels.deltaR));
}

// During the fit the plot window offers nothing; afterwards Zoom again, Reset only once Zoom is
// chosen or the chart pressed, and Select not until the window is opened anew.
void frmMain::plotWindowFitting(bool running)
{
    frmGraph* form = graph();
    if (form == nullptr) {
        return;
    }
    form->setModeOptionsEnabled(false);
    if (running) {
        form->showPeakSelector(false);
    } else {
        form->optZoom()->setEnabled(true);
    }
}

void frmMain::showFitResults(bool final, bool brokenOff)
{
    frmResults& form = openResults();
    if (!form.UpdateResults()) {
        return;
    }
    if (final) {
        form.showFinalResults(brokenOff);
    } else {
        form.hideCommands();
    }
}

FitHooks frmMain::fitHooks()
{
    FitHooks hooks;
    const CalculationHooks common = calculationHooks();
    hooks.showStatus = common.showStatus;
    hooks.setBusy = common.setBusy;
    hooks.processEvents = common.processEvents;
    hooks.redrawPlot = common.redrawPlot;
    hooks.runEngine = common.runEngine;
    hooks.showPanels = [this](const IterationPanels& panels) { setIterationPanels(panels); };
    hooks.applyMenus = [this] { applyMenuState(); };
    hooks.closeEditingWindows = [this] { closeEditingWindows(); };
    hooks.plotWindowFitting = [this](bool running) { plotWindowFitting(running); };
    hooks.showResults = [this](bool final, bool brokenOff) { showFitResults(final, brokenOff); };
    hooks.exitChosen = [this] { return std::exchange(m_exitRequested, false); };
    hooks.minDisplayInterval = kFitDisplayInterval;
    hooks.peakUncertainties = true;
    return hooks;
}

// The fit's parameters are taken while the windows that edit them are closed: the setup,
// all-parameters and fit-parameter windows go; the results window stays, emptied, for the fit
// to fill.
void frmMain::closeEditingWindows()
{
    closeSetup();
    closeAllParameters();
    clearResultWindows();
    closeFitDialogs();
}

void frmMain::mnuFit_Click()
{
    commitSetupBoxes();
    commitFitDialogs();
    beginEngineCommand();
    const FitOutcome outcome = app::mnuFit_Click(m_module, m_dialogs, m_loader, m_menu, fitHooks());
    endEngineCommand(outcome == FitOutcome::Quit);
}

void frmMain::mnuBreak_Click()
{
    m_module.breakRequested = true;
}

}  // namespace varnix::app
