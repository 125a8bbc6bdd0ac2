#include "frm_main.h"

#include "apply_colours.h"
#include "core/data_commands.h"
#include "core/data_file_choice.h"
#include "editor/frm_header.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace varnix::app {

namespace {

constexpr std::array<const char*, kStatusPanels> kPanelCaptions = {
    "After Iteration :", "R:", "deltaR:", "Data File :", "Config. File :", "Photon Energy : "};
constexpr int kDataFilePanel = 3;
constexpr int kPhotonEnergyPanel = 5;

// The window's place and size in units of 1/1024 of the screen's width and 1/768 of its height.
constexpr int kLeft = 50;
constexpr int kTop = 80;
constexpr int kWidth = 950;
constexpr int kHeight = 630;
constexpr double kStatusLabelShare = 0.075;
constexpr double kStatusTextShare = 0.9;

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

FileDialogRequest saveDataRequest(const Module1& module)
{
    FileDialogRequest request;
    request.title = "Save Data File As";
    request.filter =
        "All Data Files (*.dat);;Sx700 Data Files (*.sx7);;"
        "Scienta Data Files (*.sci);;All Files (*)";
    request.defaultName = module.spectrum.fileName;
    return request;
}

}  // namespace

frmMain::frmMain(Module1& module, Dialogs& dialogs, LibraryLoader& loader, InstanceLock& lock,
                 QWidget* parent)
    : QMainWindow(parent), m_module(module), m_dialogs(dialogs), m_loader(loader), m_lock(lock)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kMainCaption));
    createMenus();
    createStatusLine();
    createStatusBar();
    applyMenuState();
}

bool frmMain::Form_Load(const std::string& startDirectory)
{
    StartUpOutcome outcome = startUp(m_module, m_dialogs, m_loader, m_lock, startDirectory);
    if (!outcome.proceed) {
        return false;
    }
    ApplyColours(*this, m_module.colours);
    m_menu = outcome.menu;
    applyMenuState();
    setStatusText(outcome.statusLine);
    placeWindow();
    return true;
}

QString frmMain::statusText() const
{
    return m_txtStatus->text();
}

// ---- menus ------------------------------------------------------------------------------

void frmMain::createMenus()
{
    createFileMenu();
    createEditMenu();
    createCommandMenus();
}

void frmMain::createFileMenu()
{
    QMenu* file = addSubmenu(nullptr, "File", "mnuFile", &MenuState::file);
    QMenu* fileNew = addSubmenu(file, "New", "mnuNew");
    addEntry(fileNew, "Configuration", "mnuNewItem_0", &MenuState::newConfiguration);

    QMenu* open = addSubmenu(file, "Open", "mnuOpen");
    QAction* openAll = addEntry(open, "All Files", "mnuOpenItem_0", &MenuState::openAllFiles, true);
    connect(openAll, &QAction::triggered, this, [this] { mnuOpenItem_Click(0); });
    QAction* openDataEntry = addEntry(open, "Data", "mnuOpenItem_1", &MenuState::openData, true);
    connect(openDataEntry, &QAction::triggered, this, [this] { mnuOpenItem_Click(1); });
    addEntry(open, "Configuration", "mnuOpenItem_2", &MenuState::openConfiguration);

    QMenu* save = addSubmenu(file, "Save ...", "mnuSave");
    addEntry(save, "Configuration", "mnuSaveItem_0", &MenuState::saveConfiguration);
    addEntry(save, "Fit Parameters", "mnuSaveItem_1", &MenuState::saveFitParameters);

    QMenu* saveAs = addSubmenu(file, "Save As ...", "mnuSaveAs");
    QAction* saveAsData = addEntry(saveAs, "Data", "mnuSaveAsItem_0", &MenuState::saveAsData, true);
    connect(saveAsData, &QAction::triggered, this, [this] { mnuSaveAsItem_Click(0); });
    addEntry(saveAs, "Configuration", "mnuSaveAsItem_1", &MenuState::saveAsConfiguration);
    addEntry(saveAs, "Calculated Spectra", "mnuSaveAsItem_2", &MenuState::saveAsCalculatedSpectra);
    addEntry(saveAs, "Calculated Spectra + Data", "mnuSaveAsItem_3",
             &MenuState::saveAsCalculatedSpectraAndData);
}

void frmMain::createEditMenu()
{
    QMenu* edit = addSubmenu(nullptr, "Edit", "mnuEdit", &MenuState::edit);
    addEntry(edit, "Configuration Data", "mnuEditConfig", &MenuState::editConfigurationData);
    QMenu* fit = addSubmenu(edit, "Fit Parameters", "mnuEditFitPar", &MenuState::editFitParameters);
    addEntry(fit, "Simple", "mnuFitParItem_0");
    addEntry(fit, "Advanced", "mnuFitParItem_1");
    QAction* header = addEntry(edit, "Header", "mnuEditHeader", &MenuState::editHeader, true);
    connect(header, &QAction::triggered, this, &frmMain::mnuEditHeader_Click);
    QMenu* energies = addSubmenu(edit, "Energies", "mnuEnergies", &MenuState::editEnergies);
    QAction* scale = addEntry(energies, "Energy Scale of Experimental Data", "mnuEnergyItem_0",
                              &MenuState::energiesExperimentalScale, true);
    connect(scale, &QAction::triggered, this, [this] { mnuenergyitem_Click(0); });
    addEntry(energies, "Peak Energy Positions in Configuration Data", "mnuEnergyItem_1",
             &MenuState::energiesPeakPositions);
    addEntry(energies, "Energy Scale and Peak Positions by same amount", "mnuEnergyItem_2",
             &MenuState::energiesBoth);
}

void frmMain::createCommandMenus()
{
    QMenu* plot = addSubmenu(nullptr, "Plot", "mnuPlot", &MenuState::plot);
    const std::array<const char*, 5> plots = {
        "Experimental Spectrum", "Experimental and Calculated Spectra",
        "Exp and Calc Spectra + Residuals x1", "Exp and Calc Spectra + Residuals x5",
        "Exp and Calc Spectra + Residuals x10"};
    for (std::size_t i = 0; i < plots.size(); ++i) {
        QAction* item = plot->addAction(QString::fromLatin1(plots[i]));
        item->setObjectName(indexed("mnuPlotItem", static_cast<int>(i)));
        bind(item, [i](const MenuState& m) -> const MenuEntry& { return m.plotItems[i]; }, false);
    }
    addBarEntry("Calculate Spectrum", "mnuCalculate", &MenuState::calculateSpectrum, false);
    addBarEntry("Start Fit", "mnuFit", &MenuState::startFit, false);

    QMenu* write = addSubmenu(nullptr, "Write", "mnuWrite", &MenuState::write);
    addEntry(write, "Graph (to PostScript file)", "mnuPrintItem_0", &MenuState::writeGraph);
    addEntry(write, "Configuration Parameters", "mnuPrintItem_1",
             &MenuState::writeConfigurationParameters);
    addEntry(write, "Results", "mnuPrintItem_2", &MenuState::writeResults);
    addEntry(write, "Correlations", "mnuPrintItem_3", &MenuState::writeCorrelations);

    addBarEntry("Break", "mnuBreak", &MenuState::breakFit, false);
    QAction* exit = addBarEntry("Exit", "mnuExit", &MenuState::exit, true);
    connect(exit, &QAction::triggered, this, &frmMain::mnuExit_Click);

    QMenu* help = addSubmenu(nullptr, "Help", "mnuHelp", &MenuState::help);
    addEntry(help, "Help Topics", "mnuHelpItem_0");
    addEntry(help, "About Varnix", "mnuHelpItem_1");
    QMenu* customize = addSubmenu(nullptr, "Customize", "mnuCustomize", &MenuState::customize);
    addEntry(customize, "Colours", "mnuCustomizeItem_0");
    addEntry(customize, "File Extensions", "mnuCustomizeItem_1");
}

QAction* frmMain::addEntry(QMenu* menu, const char* caption, const char* name,
                           MenuEntry MenuState::*entry, bool available)
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    bind(action, entry, available);
    return action;
}

// A submenu is a container: it follows the menu state, while its entries decide for themselves.
QMenu* frmMain::addSubmenu(QMenu* menu, const char* caption, const char* name,
                           MenuEntry MenuState::*entry)
{
    const QString text = QString::fromLatin1(caption);
    QMenu* submenu = menu != nullptr ? menu->addMenu(text) : menuBar()->addMenu(text);
    submenu->setObjectName(QString::fromLatin1(name));
    submenu->menuAction()->setObjectName(QString::fromLatin1(name));
    bind(submenu->menuAction(), entry, true);
    return submenu;
}

QAction* frmMain::addBarEntry(const char* caption, const char* name, MenuEntry MenuState::*entry,
                              bool available)
{
    QAction* action = menuBar()->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    bind(action, entry, available);
    return action;
}

void frmMain::bind(QAction* action, MenuEntry MenuState::*entry, bool available)
{
    if (entry == nullptr) {
        action->setEnabled(available);
        return;
    }
    bind(action, [entry](const MenuState& m) -> const MenuEntry& { return m.*entry; }, available);
}

void frmMain::bind(QAction* action, EntryOf entry, bool available)
{
    m_bindings.push_back({std::move(entry), action, available});
}

void frmMain::applyMenuState()
{
    for (const Binding& b : m_bindings) {
        const MenuEntry& entry = b.entry(m_menu);
        b.action->setEnabled(entry.enabled && b.available);
        b.action->setCheckable(entry.checked);
        b.action->setChecked(entry.checked);
    }
}

// ---- status line and status bar ---------------------------------------------------------

void frmMain::createStatusLine()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    m_mdi = new QMdiArea(central);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    layout->addWidget(m_mdi, 1);

    auto* line = new QHBoxLayout();
    m_lblStatus = new QLabel(QStringLiteral("Status"), central);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_txtStatus = new QLineEdit(central);
    m_txtStatus->setObjectName(QStringLiteral("txtStatus"));
    m_txtStatus->setReadOnly(true);
    line->addWidget(m_lblStatus);
    line->addWidget(m_txtStatus);
    line->addStretch(1);
    layout->addLayout(line);
    setCentralWidget(central);
}

void frmMain::createStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < kStatusPanels; ++i) {
        auto* panel = new QLabel(
            QString::fromLatin1(kPanelCaptions.at(static_cast<std::size_t>(i))), statusBar());
        panel->setObjectName(indexed("pnlStatus", i));
        statusBar()->addWidget(panel, 1);
        m_panels.at(static_cast<std::size_t>(i)) = panel;
    }
}

void frmMain::setStatusText(const std::string& text)
{
    m_txtStatus->setText(QString::fromStdString(text));
}

void frmMain::placeWindow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen != nullptr ? screen->size() : QSize(1024, 768);
    // Integer units as the layout always had; at least 1, so a small screen still shows it.
    const int scaleX = std::max(1, size.width() / 1024);
    const int scaleY = std::max(1, size.height() / 768);
    setGeometry(kLeft * scaleX, kTop * scaleY, kWidth * scaleX, kHeight * scaleY);
    NewSize();
}

void frmMain::NewSize()
{
    m_module.innerWidth = m_mdi->width();
    m_module.innerHeight = m_mdi->height();
    const double width = centralWidget()->width();
    m_lblStatus->setFixedWidth(static_cast<int>(kStatusLabelShare * width));
    m_txtStatus->setFixedWidth(static_cast<int>(kStatusTextShare * width));
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) {
        NewSize();
    }
}

// ---- commands ---------------------------------------------------------------------------

void frmMain::mnuOpenItem_Click(int index)
{
    if (index == 0) {
        openAllFiles();
    } else if (index == 1) {
        openData();
    }
}

// Cancelling the dialog ends the command: nothing is opened and nothing is remembered.
void frmMain::openData()
{
    const auto chosen = m_dialogs.openFileName(dataFileRequest(m_module));
    if (!chosen) {
        return;
    }
    rememberDataName(m_module.startDirectory, *chosen);
    closeHeader();
    if (OpenData(m_module, m_dialogs, m_loader, m_menu, *chosen)) {
        dataOpened();
    }
}

// The data half: the configuration half follows with the configuration commands.
void frmMain::openAllFiles()
{
    closeHeader();
    if (OpenAllFilesData(m_module, m_dialogs, m_loader, m_menu)) {
        dataOpened();
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

void frmMain::dataOpened()
{
    if (const auto status = Enable(m_module, m_menu)) {
        setStatusText(*status);
    }
    enableUnsavedSaves(m_module, m_menu);
    applyMenuState();
    showDataPanels();
}

void frmMain::mnuSaveAsItem_Click(int index)
{
    if (index == 0) {
        saveDataAs();
    }
}

// Cancelling the dialog ends the command.
void frmMain::saveDataAs()
{
    const auto chosen = m_dialogs.saveFileName(saveDataRequest(m_module));
    if (!chosen || !SaveDataAs(m_module, m_dialogs, m_loader, m_menu, *chosen)) {
        return;
    }
    applyMenuState();
    showDataPanels();
}

void frmMain::mnuenergyitem_Click(int index)
{
    if (index == 0) {
        shiftExperimentalEnergies();
    }
}

// Cancel, an empty answer and text that is not a number change nothing.
void frmMain::shiftExperimentalEnergies()
{
    const auto typed = m_dialogs.inputBox("", "Energy Scale of Experimental Data", "");
    if (typed && ShiftExperimentalEnergies(m_module, *typed)) {
        markDataModified();
    }
}

void frmMain::markDataModified()
{
    enableUnsavedSaves(m_module, m_menu);
    applyMenuState();
}

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

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    const bool mayEnd = runExitChecks(m_module, m_dialogs, m_menu);
    applyMenuState();
    if (mayEnd) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace varnix::app
