// frmMain: the main window. A multi-document area in which every other window opens, the whole
// menu bar, the status line and the six-panel status bar. It owns no records: Module1, the
// dialogs, the library loader and the instance lock are handed in, so tests inject scripted
// dialogs. Commands are the core's; the window shows what they return.
//
// Menu entries whose command does not exist yet are created with their captions and stay
// disabled whatever the menu state says, so that no entry pretends to work.
//
// The window's code is in six files: frm_main.cpp (menus, status line, sizes, exit),
// frm_main_commands.cpp (the File, Edit and Write commands), frm_main_fit.cpp (the plot,
// the calculation, the fit and the result windows), frm_main_editor.cpp (the setup and
// all-parameters windows and what their edits ask of the others), frm_main_dialogs.cpp (the
// fit-parameter dialogs and the Customize windows) and frm_main_help.cpp (the Help menu).
#pragma once

#include "core/calculate.h"
#include "core/dialogs.h"
#include "core/fit_driver.h"
#include "core/library_loader.h"
#include "core/menu_state.h"
#include "core/module1.h"
#include "core/peak_setup.h"
#include "core/startup.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QRect;

namespace varnix::app {

class EngineCallRunner;
class FitDialog;
class frmAllParameters;
class frmDSSetup;
class frmGraph;
class frmHelp;
class frmResults;

inline constexpr const char* kMainCaption = "Varnix Version 1.06";
inline constexpr int kStatusPanels = 6;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    frmMain(Module1& module, Dialogs& dialogs, LibraryLoader& loader, InstanceLock& lock,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence, with `startDirectory` as the start directory. false when the user
    // chose not to run a second copy: the program is to end at once.
    bool Form_Load(const std::string& startDirectory);

    const MenuState& menuState() const { return m_menu; }
    QString statusText() const;
    QLabel* pnlStatus(int index) const { return m_panels.at(static_cast<std::size_t>(index)); }
    QMdiArea* mdiArea() const { return m_mdi; }
    // The child windows while they are open, else nullptr.
    frmGraph* graph() const;
    frmResults* results() const;
    frmDSSetup* setup() const;
    frmAllParameters* allParameters() const;

    // The procedures other windows call, in the order of the window's procedure table.
    void mnuCalculate_Click();
    // Draws the chosen plot type in the plot window, made when needed.
    void Plot();
    // Plot: 0 Experimental Spectrum … 4 Exp and Calc Spectra + Residuals x10.
    void mnuPlotItem_Click(int index);
    // File > Save As: 0 Data, 1 Configuration, 2 Calculated Spectra, 3 Calculated Spectra + Data.
    void mnuSaveAsItem_Click(int index);
    // Records the inner size; the status line's layout shares the width out itself.
    void NewSize();

    // File > New > Configuration.
    void mnuNewItem_Click();
    // File > Open: 0 All Files, 1 Data, 2 Configuration.
    void mnuOpenItem_Click(int index);
    // File > Save: 0 Configuration, 1 Fit Parameters.
    void mnuSaveItem_Click(int index);
    // Edit > Configuration Data: opens the peak setup window, or brings the open one forward.
    void mnuEditConfig_Click();
    // Edit > Header: opens the header window, or brings the open one forward.
    void mnuEditHeader_Click();
    // Edit > Energies: 0 experimental data, 1 peak positions, 2 both by the same amount.
    void mnuenergyitem_Click(int index);
    void mnuFit_Click();
    // Write: 0 Graph (to PostScript file), 1 Configuration Parameters, 2 Results, 3 Correlations.
    void mnuPrintItem_Click(int index);
    void mnuBreak_Click();
    void mnuExit_Click();
    // Help: 0 Help Topics (the manual at its contents page), 1 About Varnix.
    void mnuHelpItem_Click(int index);

    // The folders the manual is looked for in; start-up sets the program's own.
    void setHelpFolders(std::vector<std::filesystem::path> folders);
    // The help window once Help Topics has made it, else nullptr.
    frmHelp* help() const;
    // Edit > Fit Parameters: 0 Simple (frmFitParameters), 1 Advanced (frmFitAdvanced).
    void mnuFitParItem_Click(int index);
    // Customize: 0 Colours (frmColor), 1 File Extensions (frmExt).
    void mnuCustomizeItem_Click(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using EntryOf = std::function<const MenuEntry&(const MenuState&)>;
    // One menu-state entry and the action that shows it. Entries without a command yet are
    // never enabled.
    struct Binding {
        EntryOf entry;
        QAction* action;
        bool available;
    };

    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createCommandMenus();
    void createStatusLine();
    void createStatusBar();
    QAction* addEntry(QMenu* menu, const char* caption, const char* name,
                      MenuEntry MenuState::*entry = nullptr, bool available = false);
    QAction* addCommand(QMenu* menu, const char* caption, const char* name,
                        MenuEntry MenuState::*entry, std::function<void()> command);
    QMenu* addSubmenu(QMenu* menu, const char* caption, const char* name,
                      MenuEntry MenuState::*entry = nullptr);
    QAction* addBarEntry(const char* caption, const char* name, MenuEntry MenuState::*entry,
                         std::function<void()> command);
    void bind(QAction* action, MenuEntry MenuState::*entry, bool available);
    void bind(QAction* action, EntryOf entry, bool available);
    void applyMenuState();
    void setShortcuts();
    void placeWindow();
    void rememberPlace();
    QString windowSettingsFile() const;
    void setStatusText(std::string_view text);
    void showDataPanels();
    void showConfigurationPanel();

    // Commands (frm_main_commands.cpp).
    void openData();
    void openConfiguration();
    void openAllFiles();
    void dataOpened();
    void configurationOpened();
    void closeHeader();
    void saveDataAs();
    void saveConfigurationAs();
    void saveCalculatedSpectraAs(bool withData);
    void markDataModified();

    // Plot, calculation, fit and the result windows (frm_main_fit.cpp).
    frmGraph& openGraph();
    void closeGraph();
    void closeResultWindows();
    void clearResultWindows();
    frmResults& openResults();
    void openCorrelation();
    void relayoutChildren();
    CalculationHooks calculationHooks();
    EngineRunner engineRunner();
    void beginEngineCommand();
    void endEngineCommand(bool quitting);
    void recalculateModel();
    FitHooks fitHooks();
    void plotWindowFitting(bool running);
    void showFitResults(bool final, bool brokenOff);
    void setIterationPanels(const IterationPanels& panels);
    void setBusy(bool busy);
    void quit();
    void closeEditingWindows();

    // The setup and all-parameters windows (frm_main_editor.cpp).
    void openSetup();
    void closeSetup();
    void commitSetupBoxes();
    void refreshSetup();
    void applySetupEffects(const SetupEffects& effects);
    void showAllParameters();
    void closeAllParameters();
    void plotPeakChosen(const QString& text);
    void plotPeakMoved(double shownEnergy, double intensity);

    // The form in a sub-window while it is shown; a closed one lingers until the event loop
    // deletes it.
    template <class Form>
    static Form* formOf(const QPointer<QMdiSubWindow>& window)
    {
        return window != nullptr && !window->isHidden() ? qobject_cast<Form*>(window->widget())
                                                        : nullptr;
    }

    // The fit-parameter dialogs and the Customize windows (frm_main_dialogs.cpp).
    void showChild(QPointer<QMdiSubWindow>& frame, QWidget* form, const QRect& geometry);
    bool bringForward(const QPointer<QMdiSubWindow>& frame);
    void commitFitDialogs();
    void closeFitDialogs();
    void applyColoursEverywhere();

    Module1& m_module;
    Dialogs& m_dialogs;
    LibraryLoader& m_loader;
    InstanceLock& m_lock;
    MenuState m_menu;
    std::vector<Binding> m_bindings;
    QPointer<QMdiSubWindow> m_header;
    QPointer<QMdiSubWindow> m_graph;
    QPointer<QMdiSubWindow> m_results;
    QPointer<QMdiSubWindow> m_fitParameters;
    QPointer<QMdiSubWindow> m_fitAdvanced;
    QPointer<QMdiSubWindow> m_colour;
    QPointer<QMdiSubWindow> m_extensions;
    QPointer<QMdiSubWindow> m_setup;
    QPointer<QMdiSubWindow> m_allParameters;
    // A window of its own, not the main window's child, so that it can go behind it.
    std::unique_ptr<frmHelp> m_help;
    std::vector<std::filesystem::path> m_helpFolders;
    QMdiArea* m_mdi = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLineEdit* m_txtStatus = nullptr;
    std::array<QLabel*, kStatusPanels> m_panels{};
    // Runs each engine call on a worker thread while the windows repaint.
    EngineCallRunner* m_engineCalls = nullptr;
    int m_engineCommands = 0;      // Calculate Spectrum or Start Fit running (or both, nested)
    bool m_exitRequested = false;  // Exit chosen while one runs: its exit checks are due
    bool m_quitting = false;       // a command passed the exit checks: close without asking
};

}  // namespace varnix::app
