// The main window's part of the configuration editor: opening and closing the setup and
// all-parameters windows, and carrying out what an edit in the setup window asks of the others
// (menus, status line, redraw or recalculation, the plot window's peak selector, Show All).
// The plot window's peak number and Select mode reach the setup window through here.
#include "frm_main.h"

#include "display/frm_graph.h"
#include "editor/frm_all_parameters.h"
#include "editor/frm_ds_setup.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace varnix::app {

frmDSSetup* frmMain::setup() const
{
    return formOf<frmDSSetup>(m_setup);
}

frmAllParameters* frmMain::allParameters() const
{
    return formOf<frmAllParameters>(m_allParameters);
}

void frmMain::mnuEditConfig_Click()
{
    openSetup();
}

// Filled before it is shown, so that it never shows empty rows; what opening asks of the other
// windows (the plot drawn anew, the menus) follows once it is there.
void frmMain::openSetup()
{
    if (setup() != nullptr) {
        m_mdi->setActiveSubWindow(m_setup);
        return;
    }
    auto* form = new frmDSSetup(m_module, m_dialogs, m_menu);
    connect(form, &frmDSSetup::effectsRequested, this, &frmMain::applySetupEffects);
    const SetupEffects effects = form->Form_Load();
    m_setup = m_mdi->addSubWindow(form);
    m_setup->setAttribute(Qt::WA_DeleteOnClose);
    m_setup->setGeometry(frmDSSetup::geometryFor(m_module.innerWidth, m_module.innerHeight));
    m_setup->show();
    applySetupEffects(effects);
    m_mdi->setActiveSubWindow(m_setup);
}

void frmMain::closeSetup()
{
    if (m_setup != nullptr) {
        m_setup->close();
    }
}

// InitPar's first step: values typed but not yet confirmed count.
void frmMain::commitSetupBoxes()
{
    if (frmDSSetup* form = setup()) {
        applySetupEffects(form->commitTypedBoxes());
    }
}

// The configuration changed under the open setup window.
void frmMain::refreshSetup()
{
    if (frmDSSetup* form = setup()) {
        form->showConfiguration();
    }
}

void frmMain::applySetupEffects(const SetupEffects& effects)
{
    if (effects.menusChanged) {
        applyMenuState();
    }
    if (effects.status) {
        setStatusText(*effects.status);
    }
    if (effects.closePlotWindow) {
        closeGraph();
    }
    if (effects.recalculate) {
        mnuCalculate_Click();
    } else if (effects.replot) {
        mnuPlotItem_Click(*effects.replot);
    }
    if (frmGraph* form = graph()) {
        if (effects.plotPeakLimit) {
            form->setPeakLimit(*effects.plotPeakLimit);
        }
        if (effects.plotPeakNumber) {
            form->showPeakNumber(*effects.plotPeakNumber);
        }
        if (effects.plotSelectEnabled) {
            form->setSelectEnabled(*effects.plotSelectEnabled);
        }
    }
    if (effects.showAllParameters) {
        showAllParameters();
    }
}

// A snapshot of the configuration: shown anew rather than brought forward.
void frmMain::showAllParameters()
{
    closeAllParameters();
    auto* form = new frmAllParameters(m_module);
    m_allParameters = m_mdi->addSubWindow(form);
    m_allParameters->setAttribute(Qt::WA_DeleteOnClose);
    m_allParameters->setGeometry(
        frmAllParameters::geometryFor(m_module.innerWidth, m_module.innerHeight));
    m_allParameters->show();
}

void frmMain::closeAllParameters()
{
    if (m_allParameters != nullptr) {
        m_allParameters->close();
    }
}

void frmMain::plotPeakChosen(const QString& text)
{
    if (frmDSSetup* form = setup()) {
        applySetupEffects(form->peakChosenInPlot(text));
    }
}

void frmMain::plotPeakMoved(double shownEnergy, double intensity)
{
    if (frmDSSetup* form = setup()) {
        applySetupEffects(form->moveSelectedPeak(shownEnergy, intensity));
    }
}

}  // namespace varnix::app
