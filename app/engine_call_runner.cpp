#include "engine_call_runner.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cassert>
#include <exception>
#include <thread>
#include <utility>

namespace varnix::app {

namespace {

// What the user or the window system does that could start a command or change a record.
bool isHeldBack(QEvent::Type type)
{
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        // Leaving a box commits what was typed in it.
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::FocusAboutToChange:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// The widget a mouse event is meant for: the window system hands it to a window, which passes
// it on to the widget under the pointer.
QWidget* mouseTarget(QObject* watched, const QMouseEvent& event)
{
    if (auto* widget = qobject_cast<QWidget*>(watched)) {
        return widget;
    }
    const auto* window = qobject_cast<QWindow*>(watched);
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    const auto top = std::find_if(windows.begin(), windows.end(), [window](const QWidget* w) {
        return window != nullptr && w->windowHandle() == window;
    });
    if (top == windows.end()) {
        return nullptr;
    }
    QWidget* child = (*top)->childAt(event.position().toPoint());
    return child != nullptr ? child : *top;
}

// Undoes what run() set up, whether the call returned or threw.
class CallScope {
public:
    CallScope(EngineCallRunner& runner, bool& running, std::vector<QPointer<QAction>> silenced)
        : m_runner(runner), m_running(running), m_silenced(std::move(silenced))
    {
        m_running = true;
        qApp->installEventFilter(&m_runner);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~CallScope()
    {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&m_runner);
        // A window closed before the call may be deleted during it, its actions with it.
        for (const QPointer<QAction>& action : m_silenced) {
            if (action != nullptr) {
                action->blockSignals(false);
            }
        }
        m_running = false;
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    EngineCallRunner& m_runner;
    bool& m_running;
    std::vector<QPointer<QAction>> m_silenced;
};

}  // namespace

EngineCallRunner::EngineCallRunner(QWidget& mainWindow, std::vector<QAction*> usable)
    : QObject(&mainWindow), m_mainWindow(mainWindow), m_usable(std::move(usable))
{
}

void EngineCallRunner::run(const std::function<void()>& call)
{
    assert(!m_running && "the engine is not re-entrant");
    const CallScope scope(*this, m_running, silenceOtherActions());
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&call, &failure, &loop] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The loop ends with the call, or earlier when the program is told to quit; the worker is
    // waited for either way, since it works on its caller's data.
    loop.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

bool EngineCallRunner::eventFilter(QObject* watched, QEvent* event)
{
    if (!isHeldBack(event->type()) || letThrough(watched, event)) {
        return false;
    }
    // Refused, not merely unanswered: a close that is not ignored goes ahead.
    event->ignore();
    return true;
}

bool EngineCallRunner::letThrough(QObject* watched, QEvent* event) const
{
    switch (event->type()) {
        case QEvent::Close:
            return watched == &m_mainWindow || watched == m_mainWindow.windowHandle();
        case QEvent::Shortcut:
            return isUsable(qobject_cast<QAction*>(watched));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            const auto& mouse = static_cast<const QMouseEvent&>(*event);
            QWidget* target = mouseTarget(watched, mouse);
            auto* bar = qobject_cast<QMenuBar*>(target);
            return bar != nullptr &&
                   isUsable(bar->actionAt(bar->mapFromGlobal(mouse.globalPosition().toPoint())));
        }
        default:
            return false;
    }
}

bool EngineCallRunner::isUsable(const QAction* action) const
{
    return action != nullptr && action->isEnabled() &&
           std::find(m_usable.begin(), m_usable.end(), action) != m_usable.end();
}

// However an action is triggered (a native menu bar, an assistive tool), its command must not
// start while a call runs.
std::vector<QPointer<QAction>> EngineCallRunner::silenceOtherActions() const
{
    std::vector<QPointer<QAction>> silenced;
    for (QAction* action : m_mainWindow.findChildren<QAction*>()) {
        const bool usable = std::find(m_usable.begin(), m_usable.end(), action) != m_usable.end();
        if (!usable && !action->signalsBlocked()) {
            action->blockSignals(true);
            silenced.emplace_back(action);
        }
    }
    return silenced;
}

}  // namespace varnix::app
