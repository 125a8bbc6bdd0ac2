#include "frm_about.h"

#include "apply_colours.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace varnix::app {

namespace {

constexpr double kWidthShare = 0.6;  // of the inner width

QLabel* textLabel(const std::string& text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setWordWrap(true);
    label->setFont(RegularFont());
    return label;
}

QMdiSubWindow* openFrame(QMdiArea& area)
{
    for (QMdiSubWindow* frame : area.subWindowList()) {
        if (qobject_cast<frmAbout*>(frame->widget()) != nullptr && !frame->isHidden()) {
            return frame;
        }
    }
    return nullptr;
}

}  // namespace

frmAbout::frmAbout(Module1& module, const AboutText& text, QWidget* parent)
    : QWidget(parent), m_module(module)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromLatin1(kAboutCaption));
    auto* layout = new QVBoxLayout(this);
    m_lblTitle = textLabel(text.title, this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    m_lblTitle->setFont(LargeFont());
    layout->addWidget(m_lblTitle);
    layout->addWidget(textLabel(text.summary, this));

    auto* rows = new QGridLayout();
    rows->setColumnStretch(1, 1);
    for (const AboutRow& row : text.rows) {
        const int index = static_cast<int>(m_rows.size());
        rows->addWidget(textLabel(row.label, this), index, 0, Qt::AlignTop);
        QLabel* value = textLabel(row.text, this);
        value->setObjectName(QStringLiteral("lblRow_%1").arg(index));
        // Folders and the reference are there to be copied.
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        rows->addWidget(value, index, 1);
        m_rows.push_back(value);
    }
    layout->addLayout(rows);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    layout->addWidget(m_cmdOK, 0, Qt::AlignRight);

    ApplyColours(*this, module.colours);
    m_module.windowOpen.about = true;
}

QLabel* frmAbout::lblRow(int index) const
{
    return m_rows.at(static_cast<std::size_t>(index));
}

QRect frmAbout::geometryFor(const QWidget& frame, int innerWidth, int innerHeight)
{
    const int width = static_cast<int>(kWidthShare * innerWidth);
    const int needed =
        frame.hasHeightForWidth() ? frame.heightForWidth(width) : frame.sizeHint().height();
    const int height = std::min(needed, innerHeight);
    return {(innerWidth - width) / 2, (innerHeight - height) / 2, width, height};
}

frmAbout* frmAbout::showIn(QMdiArea& area, Module1& module, const AboutText& text)
{
    if (QMdiSubWindow* open = openFrame(area)) {
        area.setActiveSubWindow(open);
        return qobject_cast<frmAbout*>(open->widget());
    }
    auto* form = new frmAbout(module, text);
    QMdiSubWindow* frame = area.addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    frame->setGeometry(geometryFor(*frame, module.innerWidth, module.innerHeight));
    return form;
}

void frmAbout::placeIn(QMdiArea& area, const Module1& module)
{
    if (QMdiSubWindow* open = openFrame(area)) {
        open->setGeometry(geometryFor(*open, module.innerWidth, module.innerHeight));
    }
}

void frmAbout::cmdOK_Click()
{
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.about = false;
    event->accept();
}

}  // namespace varnix::app
