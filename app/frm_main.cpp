#include "frm_main.h"

#include "apply_colours.h"
#include "core/help_files.h"
#include "core/main_window_size.h"
#include "engine_call_runner.h"
#include "fonts.h"
#include "frm_about.h"
#include "frm_help.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <utility>

namespace varnix::app {

namespace {

constexpr std::array<const char*, kStatusPanels> kPanelCaptions = {
    "After Iteration :", "R:", "deltaR:", "Data File :", "Config. File :", "Photon Energy : "};

// The status line in thousandths of the window's width: the label, the text box, the rest.
constexpr int kStatusLabelStretch = 75;
constexpr int kStatusTextStretch = 900;
constexpr int kStatusRestStretch = 25;

// The usual keys of desktop programs for the entries used most; captions stay as they are.
constexpr std::array<std::pair<const char*, const char*>, 6> kShortcuts = {{
    {"mnuOpenItem_1", "Ctrl+O"},
    {"mnuSaveItem_0", "Ctrl+S"},
    {"mnuCalculate", "F5"},
    {"mnuFit", "F9"},
    {"mnuBreak", "Esc"},
    {"mnuExit", "Ctrl+Q"},
}};

// The main window's size, place and state as the user last left them, in the start directory
// beside the other settings.
constexpr const char* kWindowSettingsFile = "varnix_window.ini";
constexpr const char* kGeometryKey = "geometry";

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

}  // namespace

frmMain::frmMain(Module1& module, Dialogs& dialogs, LibraryLoader& loader, InstanceLock& lock,
                 QWidget* parent)
    : QMainWindow(parent), m_module(module), m_dialogs(dialogs), m_loader(loader), m_lock(lock)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kMainCaption));
    createMenus();
    setShortcuts();
    createStatusLine();
    createStatusBar();
    applyMenuState();
    m_engineCalls = new EngineCallRunner(*this, {findChild<QAction*>(QStringLiteral("mnuBreak")),
                                                 findChild<QAction*>(QStringLiteral("mnuExit"))});
}

bool frmMain::Form_Load(const std::string& startDirectory)
{
    StartUpOutcome outcome = startUp(m_module, m_dialogs, m_loader, m_lock, startDirectory);
    if (!outcome.proceed) {
        return false;
    }
    ApplyColours(*this, m_module.colours);
    setFont(RegularFont());
    setHelpFolders(helpFolders(programFolder()));
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
    addCommand(fileNew, "Configuration", "mnuNewItem_0", &MenuState::newConfiguration,
               [this] { mnuNewItem_Click(); });

    QMenu* open = addSubmenu(file, "Open", "mnuOpen");
    addCommand(open, "All Files", "mnuOpenItem_0", &MenuState::openAllFiles,
               [this] { mnuOpenItem_Click(0); });
    addCommand(open, "Data", "mnuOpenItem_1", &MenuState::openData,
               [this] { mnuOpenItem_Click(1); });
    addCommand(open, "Configuration", "mnuOpenItem_2", &MenuState::openConfiguration,
               [this] { mnuOpenItem_Click(2); });

    QMenu* save = addSubmenu(file, "Save ...", "mnuSave");
    addCommand(save, "Configuration", "mnuSaveItem_0", &MenuState::saveConfiguration,
               [this] { mnuSaveItem_Click(0); });
    addCommand(save, "Fit Parameters", "mnuSaveItem_1", &MenuState::saveFitParameters,
               [this] { mnuSaveItem_Click(1); });

    QMenu* saveAs = addSubmenu(file, "Save As ...", "mnuSaveAs");
    addCommand(saveAs, "Data", "mnuSaveAsItem_0", &MenuState::saveAsData,
               [this] { mnuSaveAsItem_Click(0); });
    addCommand(saveAs, "Configuration", "mnuSaveAsItem_1", &MenuState::saveAsConfiguration,
               [this] { mnuSaveAsItem_Click(1); });
    addCommand(saveAs, "Calculated Spectra", "mnuSaveAsItem_2", &MenuState::saveAsCalculatedSpectra,
               [this] { mnuSaveAsItem_Click(2); });
    addCommand(saveAs, "Calculated Spectra + Data", "mnuSaveAsItem_3",
               &MenuState::saveAsCalculatedSpectraAndData, [this] { mnuSaveAsItem_Click(3); });
}

void frmMain::createEditMenu()
{
    QMenu* edit = addSubmenu(nullptr, "Edit", "mnuEdit", &MenuState::edit);
    addCommand(edit, "Configuration Data", "mnuEditConfig", &MenuState::editConfigurationData,
               [this] { mnuEditConfig_Click(); });
    QMenu* fit = addSubmenu(edit, "Fit Parameters", "mnuEditFitPar", &MenuState::editFitParameters);
    addCommand(fit, "Simple", "mnuFitParItem_0", nullptr, [this] { mnuFitParItem_Click(0); });
    addCommand(fit, "Advanced", "mnuFitParItem_1", nullptr, [this] { mnuFitParItem_Click(1); });
    addCommand(edit, "Header", "mnuEditHeader", &MenuState::editHeader,
               [this] { mnuEditHeader_Click(); });
    QMenu* energies = addSubmenu(edit, "Energies", "mnuEnergies", &MenuState::editEnergies);
    addCommand(energies, "Energy Scale of Experimental Data", "mnuEnergyItem_0",
               &MenuState::energiesExperimentalScale, [this] { mnuenergyitem_Click(0); });
    addCommand(energies, "Peak Energy Positions in Configuration Data", "mnuEnergyItem_1",
               &MenuState::energiesPeakPositions, [this] { mnuenergyitem_Click(1); });
    addCommand(energies, "Energy Scale and Peak Positions by same amount", "mnuEnergyItem_2",
               &MenuState::energiesBoth, [this] { mnuenergyitem_Click(2); });
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
        bind(
            item, [i](const MenuState& m) -> const MenuEntry& { return m.plotItems[i]; }, true);
        connect(item, &QAction::triggered, this,
                [this, i] { mnuPlotItem_Click(static_cast<int>(i)); });
    }
    addBarEntry("Calculate Spectrum", "mnuCalculate", &MenuState::calculateSpectrum,
                [this] { mnuCalculate_Click(); });
    addBarEntry("Start Fit", "mnuFit", &MenuState::startFit, [this] { mnuFit_Click(); });

    QMenu* write = addSubmenu(nullptr, "Write", "mnuWrite", &MenuState::write);
    addCommand(write, "Graph (to PostScript file)", "mnuPrintItem_0", &MenuState::writeGraph,
               [this] { mnuPrintItem_Click(0); });
    addCommand(write, "Configuration Parameters", "mnuPrintItem_1",
               &MenuState::writeConfigurationParameters, [this] { mnuPrintItem_Click(1); });
    addCommand(write, "Results", "mnuPrintItem_2", &MenuState::writeResults,
               [this] { mnuPrintItem_Click(2); });
    addCommand(write, "Correlations", "mnuPrintItem_3", &MenuState::writeCorrelations,
               [this] { mnuPrintItem_Click(3); });

    addBarEntry("Break", "mnuBreak", &MenuState::breakFit, [this] { mnuBreak_Click(); });
    addBarEntry("Exit", "mnuExit", &MenuState::exit, [this] { mnuExit_Click(); });

    QMenu* help = addSubmenu(nullptr, "Help", "mnuHelp", &MenuState::help);
    addCommand(help, "Help Topics", "mnuHelpItem_0", nullptr, [this] { mnuHelpItem_Click(0); });
    addCommand(help, "About Varnix", "mnuHelpItem_1", nullptr, [this] { mnuHelpItem_Click(1); });
    QMenu* customize = addSubmenu(nullptr, "Customize", "mnuCustomize", &MenuState::customize);
    addCommand(customize, "Colours", "mnuCustomizeItem_0", nullptr,
               [this] { mnuCustomizeItem_Click(0); });
    addCommand(customize, "File Extensions", "mnuCustomizeItem_1", nullptr,
               [this] { mnuCustomizeItem_Click(1); });
}

QAction* frmMain::addEntry(QMenu* menu, const char* caption, const char* name,
                           MenuEntry MenuState::*entry, bool available)
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    bind(action, entry, available);
    return action;
}

QAction* frmMain::addCommand(QMenu* menu, const char* caption, const char* name,
                             MenuEntry MenuState::*entry, std::function<void()> command)
{
    QAction* action = addEntry(menu, caption, name, entry, true);
    connect(action, &QAction::triggered, this, std::move(command));
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
                              std::function<void()> command)
{
    QAction* action = menuBar()->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    bind(action, entry, true);
    connect(action, &QAction::triggered, this, std::move(command));
    return action;
}

void frmMain::bind(QAction* action, MenuEntry MenuState::*entry, bool available)
{
    if (entry == nullptr) {
        action->setEnabled(available);
        return;
    }
    bind(
        action, [entry](const MenuState& m) -> const MenuEntry& { return m.*entry; }, available);
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

// A disabled entry's key does nothing, as the entry itself.
void frmMain::setShortcuts()
{
    for (const auto& [name, keys] : kShortcuts) {
        auto* action = findChild<QAction*>(QString::fromLatin1(name));
        Q_ASSERT(action != nullptr);
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
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
    m_mdi->installEventFilter(this);
    layout->addWidget(m_mdi, 1);

    auto* line = new QHBoxLayout();
    m_lblStatus = new QLabel(QStringLiteral("Status"), central);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_txtStatus = new QLineEdit(central);
    m_txtStatus->setObjectName(QStringLiteral("txtStatus"));
    m_txtStatus->setReadOnly(true);
    // Shares of the width by stretch rather than fixed widths, which would hold the window at
    // least as wide as it ever was.
    line->addWidget(m_lblStatus, kStatusLabelStretch);
    line->addWidget(m_txtStatus, kStatusTextStretch);
    line->addStretch(kStatusRestStretch);
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
        // Each panel as wide as its text, the room left over shared out: equal shares would cut
        // a long file name while a short value's panel stays half empty. A long file name may
        // still be cut when the window is narrow, but never holds the window wider than the
        // captions need.
        panel->setMinimumWidth(panel->sizeHint().width());
        statusBar()->addWidget(panel);
        m_panels.at(static_cast<std::size_t>(i)) = panel;
    }
}

void frmMain::setStatusText(std::string_view text)
{
    m_txtStatus->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

// Where the user left the window in this start directory, else most of the screen.
void frmMain::placeWindow()
{
    const QByteArray remembered = QSettings(windowSettingsFile(), QSettings::IniFormat)
                                      .value(QLatin1String(kGeometryKey))
                                      .toByteArray();
    if (remembered.isEmpty() || !restoreGeometry(remembered)) {
        const QRect free = screen()->availableGeometry();
        const int neededWidth =
            std::max(menuBar()->sizeHint().width(), statusBar()->sizeHint().width());
        const ScreenRect place =
            mainWindowGeometry({free.x(), free.y(), free.width(), free.height()}, neededWidth,
                               minimumSizeHint().height());
        resize(place.width, place.height);
        move(place.left, place.top);
    }
    NewSize();
}

// A start directory that cannot be written keeps no place: the window opens on most of the
// screen again, and nothing else is lost.
void frmMain::rememberPlace()
{
    QSettings(windowSettingsFile(), QSettings::IniFormat)
        .setValue(QLatin1String(kGeometryKey), saveGeometry());
}

QString frmMain::windowSettingsFile() const
{
    return QString::fromStdString(
        (std::filesystem::path(m_module.startDirectory) / kWindowSettingsFile).string());
}

// The status line follows the width through its layout's stretch factors.
void frmMain::NewSize()
{
    m_module.innerWidth = m_mdi->width();
    m_module.innerHeight = m_mdi->height();
}

// The child windows size themselves from the inner area: each open one is laid out again. The
// area's own resize is watched, since the main window's comes before its layout has passed the
// new size on.
bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mdi && event->type() == QEvent::Resize && !isMinimized()) {
        NewSize();
        relayoutChildren();
        frmAbout::placeIn(*m_mdi, m_module);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- exit ---------------------------------------------------------------------------------

void frmMain::mnuExit_Click()
{
    close();
}

// Exit while Calculate Spectrum or Start Fit runs is noted: the fit runs the exit checks once
// its current engine call is over, and what is still pending when a command ends is carried out
// then. A command that has already passed the exit checks closes without asking twice.
void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_engineCommands > 0 || m_engineCalls->running()) {
        m_exitRequested = true;
        event->ignore();
        return;
    }
    const bool mayEnd = m_quitting || runExitChecks(m_module, m_dialogs, m_menu);
    applyMenuState();
    if (mayEnd) {
        rememberPlace();
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace varnix::app
