#include "editor/frm_ext.h"

#include "apply_colours.h"
#include "core/display/customisation.h"
#include "fonts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnix::app {

namespace {

// Three letters or digits, each optional: what an extension of the settings file can hold.
constexpr const char* kExtensionMask = "nnn";

QLineEdit* maskedBox(const char* name, const std::string& extension, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(RegularFont());
    box->setInputMask(QString::fromLatin1(kExtensionMask));
    box->setText(QString::fromStdString(extension));
    return box;
}

QLabel* label(const char* name, const char* caption, QLineEdit* box)
{
    auto* l = new QLabel(QString::fromLatin1(caption), box->parentWidget());
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(RegularFont());
    l->setBuddy(box);
    return l;
}

}  // namespace

frmExt::frmExt(Module1& module, Dialogs& dialogs, LibraryLoader& loader, QWidget* parent)
    : QWidget(parent), m_module(module), m_dialogs(dialogs), m_loader(loader)
{
    setObjectName(QStringLiteral("frmExt"));
    setWindowTitle(QString::fromLatin1(kExtensionCaption));
    m_maskData = maskedBox("maskData", module.dataExtension, this);
    m_maskConfig = maskedBox("maskConfig", module.configExtension, this);
    m_cmdClose = new QPushButton(QStringLiteral("Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    m_cmdClose->setFont(RegularFont());

    auto* form = new QFormLayout;
    form->addRow(label("lblData", "Data Files", m_maskData), m_maskData);
    form->addRow(label("lblConfig", "Configuration Files", m_maskConfig), m_maskConfig);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_cmdClose, 0, Qt::AlignRight);

    connect(m_maskData, &QLineEdit::textEdited, this, &frmExt::maskData_Change);
    connect(m_maskConfig, &QLineEdit::textEdited, this, &frmExt::maskConfig_Change);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmExt::cmdClose_Click);
    ApplyColours(*this, module.colours);
}

void frmExt::maskData_Change(const QString& text)
{
    m_module.dataExtension = extensionFromBox(text.toStdString());
}

void frmExt::maskConfig_Change(const QString& text)
{
    m_module.configExtension = extensionFromBox(text.toStdString());
}

void frmExt::cmdClose_Click()
{
    storeSettings(m_module, m_dialogs, m_loader);
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

}  // namespace varnix::app
