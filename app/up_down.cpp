#include "up_down.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace varnix::app {

namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);  // the text box keeps the focus and its typed text
    return button;
}

}  // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = arrowButton(Qt::UpArrow, "up", this);
    m_down = arrowButton(Qt::DownArrow, "down", this);
    for (QToolButton* button : {m_up, m_down}) {
        // Each takes half of whatever height the pair is given.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
}

void UpDown::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
}

void UpDown::fitBeside(const QWidget& box)
{
    const int height = box.sizeHint().height();
    setFixedSize(height * 2 / 3, height);
}

void UpDown::step(int by)
{
    const int next = std::clamp(m_value + by, m_minimum, m_maximum);
    if (next == m_value) {
        return;
    }
    m_value = next;
    emit stepped(next);
}

}  // namespace varnix::app
