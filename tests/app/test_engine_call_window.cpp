// The main window while an engine call runs: an engine that holds each call until the test
// lets it go stands in for a long one, so that everything below happens while a call is
// certainly running. The window must repaint and resize, show that it is busy, keep the user's
// input from the records, and let Break and Exit act only after the call.
#include "display/frm_graph.h"
#include "qt_environment.h"
#include "window_fixture.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>

#include <dlfcn.h>

#include <functional>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
constexpr int kEventWaitMs = 10000;  // only a hung window takes this long

// The controls of the held engine, from the library the window's loader loads.
struct HeldEngine {
    HeldEngine()
    {
        const std::string path = std::string(VARNIX_HELD_ENGINE_DIR) + "/libzorvant.so";
        m_handle = dlopen(path.c_str(), RTLD_NOW);
        EXPECT_NE(m_handle, nullptr) << dlerror();
        running = symbol<bool (*)()>("HELD_RUNNING");
        release = symbol<void (*)()>("HELD_RELEASE");
        calls = symbol<int32_t (*)(int32_t)>("HELD_CALLS");
        symbol<void (*)()>("HELD_RESET")();
    }
    template <class F>
    F symbol(const char* name)
    {
        return reinterpret_cast<F>(dlsym(m_handle, name));
    }
    void* m_handle = nullptr;
    bool (*running)() = nullptr;
    void (*release)() = nullptr;
    int32_t (*calls)(int32_t mode) = nullptr;
};

// Counts the paint and resize events a widget receives.
class EventCounter : public QObject {
public:
    int paints = 0;
    int resizes = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        resizes += event->type() == QEvent::Resize ? 1 : 0;
        return false;
    }
};

class BusyWindow;

struct BusyCase {
    const char* name;
    const char* command;
    // What the user does while the call runs, after the checks every case makes.
    std::function<void(BusyWindow&)> meanwhile;
    bool answer;  // to the question the command asks after the call
    Texts questions;
    int32_t iterations;  // engine calls that iterate the fit
    bool stillOpen;
    // The fit locks the commands; a calculation leaves the menus as they are and holds input.
    std::vector<const char*> locked;
};

class BusyWindow : public WindowFixture, public testing::WithParamInterface<BusyCase> {
public:
    BusyWindow()
        : WindowFixture(
              true,
              LibraryLoader({fs::path(VARNIX_HELD_ENGINE_DIR), fs::path(VARNIX_PROGRAM_DIR)}, true))
    {
        started();
    }

    using WindowFixture::m_window;

    void clickMenuBar(const char* name)
    {
        QMenuBar* bar = m_window->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action(name)).center());
    }

    // Once the engine holds a call: the checks of every case, then the case's own input. The
    // command lets events run before its call too; then this waits for the call.
    void whileHeld(const BusyCase& c)
    {
        if (!m_held.running()) {
            QTimer::singleShot(1, m_window.get(), [this, &c] { whileHeld(c); });
            return;
        }
        Module1 atCall = m_module;
        EXPECT_EQ(QApplication::overrideCursor() != nullptr
                      ? QApplication::overrideCursor()->shape()
                      : Qt::ArrowCursor,
                  Qt::WaitCursor);
        const QString status = m_window->statusText();
        EXPECT_TRUE(status == QStringLiteral("  Calculating spectrum   -   please wait") ||
                    status.startsWith(QStringLiteral("  Running fit")))
            << status.toStdString();
        for (const char* entry : c.locked) {
            EXPECT_FALSE(action(entry)->isEnabled()) << entry;
        }

        EventCounter counter;
        m_window->installEventFilter(&counter);
        const QSize size = m_window->size() + QSize(120, 80);
        m_window->resize(size);
        m_window->update();
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0 && counter.resizes > 0; },
                                    kEventWaitMs));
        EXPECT_EQ(m_window->size(), size);

        // The plot window and the menus stay as they are.
        QWidget* plot = m_window->graph();
        ASSERT_NE(plot, nullptr);
        EXPECT_FALSE(plot->parentWidget()->close());
        clickMenuBar("mnuFile");
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

        c.meanwhile(*this);
        QApplication::processEvents();
        m_window->removeEventFilter(&counter);
        EXPECT_TRUE(plot->isVisible());
        EXPECT_TRUE(m_dialogs.records().empty()) << "asked during the call";
        // The window's own size is the one record a resize writes.
        atCall.innerWidth = m_module.innerWidth;
        atCall.innerHeight = m_module.innerHeight;
        atCall.breakRequested = m_module.breakRequested;
        EXPECT_EQ(m_module, atCall);
        m_held.release();
    }

    HeldEngine m_held;
};

TEST_P(BusyWindow, RepaintsAndKeepsInputFromTheRecordsUntilTheCallIsOver)
{
    const BusyCase& c = GetParam();
    trigger("mnuOpenItem_0");
    if (!c.questions.empty()) {
        m_dialogs.answerYesNo(c.answer);
    }
    QTimer::singleShot(0, m_window.get(), [this, &c] { whileHeld(c); });

    action(c.command)->trigger();
    QApplication::processEvents();

    EXPECT_EQ(m_dialogs.texts(), c.questions);
    EXPECT_EQ(m_held.calls(1), c.iterations);
    EXPECT_EQ(m_window->isVisible(), c.stillOpen);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The engine's answer reached the records after the call.
    ASSERT_EQ(m_module.spectrum.calculated.size(), m_module.spectrum.counts.size());
    for (std::size_t i = 0; i < m_module.spectrum.counts.size(); ++i) {
        EXPECT_EQ(m_module.spectrum.calculated[i], 2.0 * m_module.spectrum.counts[i]) << i;
    }
}

const std::vector<const char*> kFitLocks = {"mnuFile", "mnuCalculate", "mnuFit"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, BusyWindow, testing::Values(
    BusyCase{"CalculateWithInputHeldBack", "mnuCalculate", [](BusyWindow&) {}, true, {}, 0, true, {}},
    BusyCase{"ExitDuringCalculateAsksAfterIt", "mnuCalculate", [](BusyWindow& w) {
        EXPECT_FALSE(w.m_window->close());
    }, false, {"Calculated Spectra Not Saved - Continue Exit Anyway?"}, 0, true, {}},
    BusyCase{"ExitDuringCalculateConfirmedEndsTheProgram", "mnuCalculate", [](BusyWindow& w) {
        w.clickMenuBar("mnuExit");
    }, true, {"Calculated Spectra Not Saved - Continue Exit Anyway?"}, 0, false, {}},
    BusyCase{"FitRunsToItsEndWithInputHeldBack", "mnuFit", [](BusyWindow&) {}, true, {}, 2, true, kFitLocks},
    BusyCase{"BreakDuringFitAsksAfterTheIteration", "mnuFit", [](BusyWindow& w) {
        w.clickMenuBar("mnuBreak");
    }, false, {"Continue fit ?"}, 1, true, kFitLocks}),
    [](const testing::TestParamInfo<BusyCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
