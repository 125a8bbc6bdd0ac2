// Shared by the main window's widget tests: a start directory seeded with the example settings
// and fit controls (and, when asked, the example spectrum and model remembered for Open > All
// Files), the window started in it, and its menu entries by name.
#pragma once

#include "command_fixture.h"
#include "frm_main.h"

#include <QAbstractButton>
#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace varnix::app::test {

class WindowFixture : public ::testing::Test {
protected:
    explicit WindowFixture(bool withExample, LibraryLoader loader = LibraryLoader())
        : m_loader(std::move(loader))
    {
        for (const char* name : {"fini.dat", "FitFile.dat"}) {
            fs::copy_file(example(name), m_folder.path() / name);
        }
        if (withExample) {
            fs::copy_file(example("synthetic_c1s.dat"), data());
            fs::copy_file(example("synthetic_c1s.cfg"), config());
            std::ofstream(m_folder.file("last_data.dat")) << "\"" << data() << "\"\n";
            std::ofstream(m_folder.file("last_config.dat")) << "\"" << config() << "\"\n";
        }
    }

    std::string data() const { return m_folder.file("synthetic_c1s.dat"); }
    std::string config() const { return m_folder.file("synthetic_c1s.cfg"); }

    // A window after start-up in the start directory, shown and active as the user's is.
    frmMain& started(QSize size = {})
    {
        m_window.reset();
        m_module = Module1{};
        m_window = std::make_unique<frmMain>(m_module, m_dialogs, m_loader, m_lock);
        EXPECT_TRUE(m_window->Form_Load(m_folder.path().string()));
        if (size.isValid()) {
            m_window->resize(size);
        }
        m_window->show();
        m_window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        return *m_window;
    }

    QAction* action(const char* name) const
    {
        auto* found = m_window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // As the user chooses it: only an enabled entry can be.
    void trigger(const char* name)
    {
        QAction* found = action(name);
        ASSERT_TRUE(found != nullptr && found->isEnabled()) << name;
        found->trigger();
    }

    bool enabled(const char* name) const { return action(name)->isEnabled(); }

    // Option buttons and check boxes take clicks on their indicator at the left.
    static void click(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    TempFolder m_folder;
    Module1 m_module;
    ScriptedDialogs m_dialogs;
    LibraryLoader m_loader;
    FakeLock m_lock{true};
    std::unique_ptr<frmMain> m_window;
};

}  // namespace varnix::app::test
