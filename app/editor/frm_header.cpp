#include "editor/frm_header.h"

#include "apply_colours.h"
#include "core/files/data_commands.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace varnix::app {

namespace {

// Shares of the main window's inner area.
constexpr double kWidthShare = 0.8;
constexpr double kHeightShare = 0.6;

}  // namespace

frmHeader::frmHeader(Module1& module, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_module(module), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmHeader"));
    setWindowTitle(QStringLiteral("Header"));
    auto* layout = new QVBoxLayout(this);
    m_txtHeader = new QPlainTextEdit(this);
    m_txtHeader->setObjectName(QStringLiteral("txtHeader"));
    m_txtHeader->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Header codes are single bytes, so the text goes both ways as Latin-1.
    m_txtHeader->setPlainText(QString::fromLatin1(headerWindowText(module.spectrum)));
    layout->addWidget(m_txtHeader);
    connect(m_txtHeader, &QPlainTextEdit::textChanged, this, &frmHeader::txtHeader_Change);
    resize(sizeFor(module.innerWidth, module.innerHeight));
    ApplyColours(*this, module.colours);
}

QSize frmHeader::sizeFor(int innerWidth, int innerHeight)
{
    return {static_cast<int>(kWidthShare * innerWidth),
            static_cast<int>(kHeightShare * innerHeight)};
}

void frmHeader::txtHeader_Change()
{
    m_headerChanged = true;
    m_module.dataSaved = false;
    emit dataModified();
}

void frmHeader::closeEvent(QCloseEvent* event)
{
    if (m_headerChanged) {
        const QByteArray text = m_txtHeader->toPlainText().toLatin1();
        const HeaderTransfer transfer = transferHeaderText(
            std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        if (transfer.message) {
            m_dialogs.message(*transfer.message);
        }
        applyHeaderTransfer(m_module, transfer);
        m_headerChanged = false;
    }
    event->accept();
}

}  // namespace varnix::app
