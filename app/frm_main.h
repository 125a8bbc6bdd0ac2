// frmMain: the main window. A multi-document area in which every other window opens, the whole
// menu bar, the status line and the six-panel status bar. It owns no records: Module1, the
// dialogs, the library loader and the instance lock are handed in, so tests inject scripted
// dialogs. Commands are the core's; the window shows what they return.
//
// Menu entries whose command does not exist yet are created with their captions and stay
// disabled whatever the menu state says, so that no entry pretends to work.
#pragma once

#include "core/dialogs.h"
#include "core/library_loader.h"
#include "core/menu_state.h"
#include "core/module1.h"
#include "core/startup.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace varnix::app {

inline constexpr const char* kMainCaption = "Varnix Version 1.06";
inline constexpr int kStatusPanels = 6;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    frmMain(Module1& module, Dialogs& dialogs, LibraryLoader& loader, InstanceLock& lock,
            QWidget* parent = nullptr);

    // The start-up sequence, with `startDirectory` as the start directory. false when the user
    // chose not to run a second copy: the program is to end at once.
    bool Form_Load(const std::string& startDirectory);

    const MenuState& menuState() const { return m_menu; }
    QString statusText() const;
    QLabel* pnlStatus(int index) const { return m_panels.at(static_cast<std::size_t>(index)); }
    QMdiArea* mdiArea() const { return m_mdi; }

    // File > Open: 0 All Files, 1 Data, 2 Configuration.
    void mnuOpenItem_Click(int index);
    // File > Save As: 0 Data (the others come later).
    void mnuSaveAsItem_Click(int index);
    // Edit > Header: opens the header window, or brings the open one forward.
    void mnuEditHeader_Click();
    // Edit > Energies: 0 Energy Scale of Experimental Data (the others come later).
    void mnuenergyitem_Click(int index);
    void mnuExit_Click();
    // Records the inner size and lays out the status line.
    void NewSize();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One menu-state entry and the action that shows it. Entries without a command yet are
    // never enabled.
    using EntryOf = std::function<const MenuEntry&(const MenuState&)>;
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
    QMenu* addSubmenu(QMenu* menu, const char* caption, const char* name,
                      MenuEntry MenuState::*entry = nullptr);
    QAction* addBarEntry(const char* caption, const char* name, MenuEntry MenuState::*entry,
                         bool available);
    void bind(QAction* action, MenuEntry MenuState::*entry, bool available);
    void bind(QAction* action, EntryOf entry, bool available);
    void applyMenuState();
    void placeWindow();
    void setStatusText(const std::string& text);
    void showDataPanels();
    void openData();
    void openAllFiles();
    void closeHeader();
    void dataOpened();
    void saveDataAs();
    void shiftExperimentalEnergies();
    void markDataModified();

    Module1& m_module;
    Dialogs& m_dialogs;
    LibraryLoader& m_loader;
    InstanceLock& m_lock;
    MenuState m_menu;
    std::vector<Binding> m_bindings;
    QPointer<QMdiSubWindow> m_header;
    QMdiArea* m_mdi = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLineEdit* m_txtStatus = nullptr;
    std::array<QLabel*, kStatusPanels> m_panels{};
};

}  // namespace varnix::app
