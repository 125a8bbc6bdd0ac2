// The engine calls of the main window, run on a worker thread while the windows go on painting
// and resizing. A long call (a spectrum of a million points takes seconds) would otherwise
// leave the windows blank until it returns.
//
// While a call runs, a local event loop waits for it, and an application-wide event filter
// holds back every user input that could start a command or change the records: the mouse,
// the keyboard, the wheel, focus changes, drops and the closing of any window but the main
// one. The only input let through is a click or a shortcut of the actions that stay usable
// (Break and Exit, when enabled), and the main window's own close, whose handlers merely note
// the request for the command to act on after the call. As a second line, every other action
// of the main window emits nothing during the call, however it is triggered. Painting,
// resizing, moving and the window system's other events run as usual.
#pragma once

#include <QAction>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QWidget;

namespace varnix::app {

class EngineCallRunner : public QObject {
    Q_OBJECT

public:
    // `mainWindow` may close itself during a call; `usable` are the actions that stay usable.
    EngineCallRunner(QWidget& mainWindow, std::vector<QAction*> usable);

    // Runs `call` on a worker thread and returns when it has run, rethrowing what it threw.
    // Only one call runs at a time: the held-back input cannot start another.
    void run(const std::function<void()>& call);

    // Whether a call is running.
    bool running() const { return m_running; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool letThrough(QObject* watched, QEvent* event) const;
    bool isUsable(const QAction* action) const;
    std::vector<QPointer<QAction>> silenceOtherActions() const;

    QWidget& m_mainWindow;
    std::vector<QAction*> m_usable;
    bool m_running = false;
};

}  // namespace varnix::app
