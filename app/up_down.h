// UpDown: the spin buttons beside a text box. Two arrow buttons step a whole number within its
// limits and report the new number; the text box beside them stays the one place the number is
// shown and typed, so the window writes the number into it and runs the box's own handler.
#pragma once

#include <QWidget>

class QToolButton;

namespace varnix::app {

class UpDown : public QWidget {
    Q_OBJECT

public:
    explicit UpDown(QWidget* parent = nullptr);

    // The number the next step starts from, kept within the limits.
    void setValue(int value);
    int value() const { return m_value; }
    void setRange(int minimum, int maximum);
    int maximum() const { return m_maximum; }
    // As high as the text box it stands beside, and narrow.
    void fitBeside(const QWidget& box);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    // A click stepped to this number; a click at a limit reports nothing.
    void stepped(int value);

private:
    void step(int by);

    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_value = 1;
    int m_minimum = 1;
    int m_maximum = 1;
};

}  // namespace varnix::app
