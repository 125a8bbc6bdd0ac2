// The main window's File, Edit and Write commands: each asks for what it needs through the
// dialogs, hands over to the core and shows what the core returns. Cancelling a dialog ends the
// command; nothing is opened, written or remembered.
#include "frm_main.h"

#include "core/config_commands.h"
#include "core/data_commands.h"
#include "core/data_file_choice.h"
#include "core/data_regions.h"
#include "core/output_commands.h"
#include "display/frm_results.h"
#include "editor/frm_header.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace varnix::app {

namespace {

constexpr int kDataFilePanel = 3;
constexpr int kConfigFilePanel = 4;
constexpr int kPhotonEnergyPanel = 5;

}  // namespace

// ---- File > New and Open ------------------------------------------------------------------

// The setup window opens on the new peak and, with data, draws the spectrum in a new plot
// window.
void frmMain::mnuNewItem_Click()
{
    closeSetup();
    const auto status = NewConfiguration(m_module, m_menu);
    // The fit's results and the all-parameters snapshot belong to the previous configuration.
    closeResultWindows();
    closeAllParameters();
    closeGraph();
    if (status) {
        setStatusText(*status);
    }
    applyMenuState();
    showConfigurationPanel();
    openSetup();
}

void frmMain::mnuOpenItem_Click(int index)
{
    if (index == 0) {
        openAllFiles();
    } else if (index == 1) {
        openData();
    } else if (index == 2) {
        openConfiguration();
    }
}

// A file with several spectra asks which one after the file dialog; cancelling either opens and
// remembers nothing.
void frmMain::openData()
{
    const auto file = m_dialogs.openFileName(dataFileRequest(m_module));
    const auto chosen = file ? chooseDataRegion(m_module, m_dialogs, *file) : std::nullopt;
    if (!chosen) {
        return;
    }
    rememberDataName(m_module.startDirectory, *chosen);
    closeHeader();
    closeResultWindows();
    if (OpenData(m_module, m_dialogs, m_loader, m_menu, *chosen)) {
        dataOpened();
    }
}

void frmMain::openConfiguration()
{
    const auto chosen = m_dialogs.openFileName(configFileRequest(m_module));
    if (!chosen) {
        return;
    }
    closeResultWindows();
    closeSetup();
    if (OpenConfiguration(m_module, m_dialogs, m_loader, m_menu, *chosen)) {
        configurationOpened();
    }
}

// The data, then the configuration; a half that fails stops the sequence.
void frmMain::openAllFiles()
{
    closeHeader();
    closeResultWindows();
    if (!OpenAllFilesData(m_module, m_dialogs, m_loader, m_menu)) {
        return;
    }
    dataOpened();
    closeSetup();
    if (OpenAllFilesConfiguration(m_module, m_dialogs, m_loader, m_menu)) {
        configurationOpened();
    }
}

// Header edits belong to the spectrum they were typed for: the header window hands them over as
// it closes, before another spectrum can take that one's place.
void frmMain::closeHeader()
{
    if (m_header != nullptr) {
        m_header->close();
    }
}

// A new spectrum is shown at once, in a fresh plot window.
void frmMain::dataOpened()
{
    if (const auto status = app::Enable(m_module, m_menu)) {
        setStatusText(*status);
    }
    enableUnsavedSaves(m_module, m_menu);
    applyMenuState();
    showDataPanels();
    closeGraph();
    mnuPlotItem_Click(m_module.plot.plotType);
}

// The configuration is shown for editing; with data the setup window draws the spectrum with
// the new peaks.
void frmMain::configurationOpened()
{
    if (const auto status = app::Enable(m_module, m_menu)) {
        setStatusText(*status);
    }
    applyMenuState();
    showConfigurationPanel();
    closeAllParameters();
    openSetup();
}

// ---- File > Save and Save As --------------------------------------------------------------

void frmMain::mnuSaveItem_Click(int index)
{
    if (index == 0) {
        saveConfiguration(m_module, m_dialogs, m_loader, m_menu);
    } else if (index == 1) {
        // What is typed in a fit dialog is saved too, though a shortcut left it in its box.
        commitFitDialogs();
        saveFitParameters(m_module, m_dialogs, m_loader, m_menu);
    }
    applyMenuState();
}

void frmMain::mnuSaveAsItem_Click(int index)
{
    if (index == 0) {
        saveDataAs();
    } else if (index == 1) {
        saveConfigurationAs();
    } else if (index == 2 || index == 3) {
        saveCalculatedSpectraAs(index == 3);
    }
}

void frmMain::saveDataAs()
{
    const auto chosen = m_dialogs.saveFileName(saveAsRequest(m_module, SaveAsItem::Data));
    if (!chosen || !SaveDataAs(m_module, m_dialogs, m_loader, m_menu, *chosen)) {
        return;
    }
    applyMenuState();
    showDataPanels();
}

void frmMain::saveConfigurationAs()
{
    const auto chosen = m_dialogs.saveFileName(saveAsRequest(m_module, SaveAsItem::Configuration));
    if (!chosen || !app::saveConfigurationAs(m_module, m_dialogs, m_loader, m_menu, *chosen)) {
        return;
    }
    applyMenuState();
    showConfigurationPanel();
}

void frmMain::saveCalculatedSpectraAs(bool withData)
{
    const SaveAsItem item =
        withData ? SaveAsItem::CalculatedSpectraAndData : SaveAsItem::CalculatedSpectra;
    const auto chosen = m_dialogs.saveFileName(saveAsRequest(m_module, item));
    if (chosen &&
        app::saveCalculatedSpectraAs(m_module, m_dialogs, m_loader, m_menu, *chosen, withData)) {
        applyMenuState();
    }
}

// ---- Edit -------------------------------------------------------------------------------

void frmMain::mnuEditHeader_Click()
{
    // A closed window lingers until the event loop deletes it; only a shown one is reused.
    if (m_header != nullptr && !m_header->isHidden()) {
        m_mdi->setActiveSubWindow(m_header);
        return;
    }
    auto* form = new frmHeader(m_module, m_dialogs);
    connect(form, &frmHeader::dataModified, this, &frmMain::markDataModified);
    m_header = m_mdi->addSubWindow(form);
    m_header->setAttribute(Qt::WA_DeleteOnClose);
    m_header->resize(frmHeader::sizeFor(m_module.innerWidth, m_module.innerHeight));
    m_header->show();
}

// Cancel, an empty answer and text that is not a number change nothing; a shift redraws the
// plot, whose energies or markers moved.
void frmMain::mnuenergyitem_Click(int index)
{
    static constexpr std::array<const char*, 3> kTitles = {
        "Energy Scale of Experimental Data", "Peak Energy Positions in Configuration Data",
        "Energy Scale and Peak Positions by same amount"};
    const auto typed = m_dialogs.inputBox("", kTitles.at(static_cast<std::size_t>(index)), "");
    if (!typed) {
        return;
    }
    // A position typed in the setup window moves with the others.
    commitSetupBoxes();
    bool shifted = false;
    if (index == 0) {
        shifted = ShiftExperimentalEnergies(m_module, *typed);
    } else if (index == 1) {
        shifted = ShiftPeakPositions(m_module, m_menu, *typed);
    } else {
        shifted = ShiftEnergiesAndPeakPositions(m_module, m_menu, *typed);
    }
    if (!shifted) {
        return;
    }
    markDataModified();
    refreshSetup();
    if (m_module.dataLoaded) {
        mnuPlotItem_Click(m_module.plot.plotType);
    }
}

void frmMain::markDataModified()
{
    enableUnsavedSaves(m_module, m_menu);
    applyMenuState();
}

// ---- Write ------------------------------------------------------------------------------

void frmMain::mnuPrintItem_Click(int index)
{
    app::mnuPrintItem_Click(m_module, m_dialogs, m_loader, static_cast<WriteItem>(index));
}

// ---- status bar -------------------------------------------------------------------------

void frmMain::showDataPanels()
{
    const PathParts parts = SplitPath(m_module.spectrum.fileName);
    m_panels.at(kDataFilePanel)
        ->setText(QStringLiteral("Data File : %1  ").arg(QString::fromStdString(parts.fileName)));
    QLabel* photon = m_panels.at(kPhotonEnergyPanel);
    const auto text = photonEnergyPanel(m_module.spectrum);
    photon->setVisible(text.has_value());
    if (text) {
        photon->setText(QString::fromStdString(*text));
    }
}

void frmMain::showConfigurationPanel()
{
    m_panels.at(kConfigFilePanel)
        ->setText(QString::fromStdString(configurationPanel(m_module.configuration)));
}

}  // namespace varnix::app
