// The main window's Help menu: Help Topics shows the manual in the help window at its contents
// page, About Varnix the About box. Where the manual is and what the box says are the core's
// (help_files.h, about.h).
#include "frm_main.h"

#include "core/display/about.h"
#include "core/files/help_files.h"
#include "frm_about.h"
#include "frm_help.h"

#include <utility>

namespace varnix::app {

frmMain::~frmMain() = default;

void frmMain::setHelpFolders(std::vector<std::filesystem::path> folders)
{
    m_helpFolders = std::move(folders);
}

frmHelp* frmMain::help() const
{
    return m_help.get();
}

void frmMain::mnuHelpItem_Click(int index)
{
    const std::optional<std::filesystem::path> contents = helpContentsPage(m_helpFolders);
    if (index == 1) {
        frmAbout::showIn(*m_mdi, m_module, aboutText(programVersion(), programFolder(), contents));
        return;
    }
    if (!contents) {
        m_dialogs.message(helpMissingMessage(m_helpFolders));
        return;
    }
    if (m_help == nullptr) {
        m_help = std::make_unique<frmHelp>();
        // The program ends with its main window, whether the manual is open or not.
        m_help->setAttribute(Qt::WA_QuitOnClose, false);
    }
    m_help->showContents(*contents);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

}  // namespace varnix::app
