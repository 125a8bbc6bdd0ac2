#include "editor/frm_fit_dialogs.h"

#include "apply_colours.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>

namespace varnix::app {

namespace {

// The dialogs' own coordinates run 0 … 100 across: labels from the left, the boxes and Close
// from 57.5 to 87.5.
constexpr int kLabelColumnStretch = 575;
constexpr int kBoxColumnStretch = 300;
constexpr int kRightMarginStretch = 125;

constexpr double kLeftShare = 0.5;
constexpr double kWidthShare = 0.35;
constexpr double kSimpleHeightShare = 0.3;
constexpr double kAdvancedTopShare = 0.3;
constexpr double kAdvancedHeightShare = 0.66;

int share(double fraction, int size)
{
    return static_cast<int>(fraction * size);
}

}  // namespace

FitDialog::FitDialog(Module1& module, Dialogs& dialogs, MenuState& menu,
                     std::span<const FitControlField> fields, const Names& names, QWidget* parent)
    : QWidget(parent), m_module(module), m_editor(module, dialogs, menu, fields)
{
    setObjectName(QString::fromLatin1(names.window));
    setWindowTitle(QString::fromLatin1(names.caption));
    createControls(names);
    ApplyColours(*this, module.colours);
    apply(m_editor.Form_Load());
}

void FitDialog::createControls(const Names& names)
{
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(0, kLabelColumnStretch);
    grid->setColumnStretch(1, kBoxColumnStretch);
    grid->setColumnStretch(2, kRightMarginStretch);
    for (std::size_t i = 0; i < names.boxes.size(); ++i) {
        const FitControlField field = m_editor.field(static_cast<int32_t>(i));
        auto* caption = new QLabel(QString::fromLatin1(fitControlSpec(field).label), this);
        caption->setObjectName(QString::fromLatin1(names.labels.at(i)));
        caption->setFont(RegularFont());
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(names.boxes[i]));
        box->setFont(RegularFont());
        caption->setBuddy(box);
        const int row = static_cast<int>(i);
        grid->addWidget(caption, row, 0);
        grid->addWidget(box, row, 1);
        grid->setRowStretch(row, 1);
        m_labels.push_back(caption);
        m_boxes.push_back(box);
    }
    m_cmdClose = new QPushButton(QStringLiteral("Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    m_cmdClose->setFont(RegularFont());
    const int closeRow = static_cast<int>(names.boxes.size());
    grid->addWidget(m_cmdClose, closeRow, 1);
    grid->setRowStretch(closeRow, 1);
    connect(m_cmdClose, &QPushButton::clicked, this, &FitDialog::cmdClose_Click);
}

void FitDialog::commitTypedBoxes()
{
    apply(m_editor.commitTypedBoxes());
}

void FitDialog::box_Change(int i, const QString& text)
{
    apply(m_editor.box_Change(i, text.toStdString()));
}

void FitDialog::box_LostFocus(int i)
{
    apply(m_editor.box_LostFocus(i));
}

void FitDialog::apply(const FitDialogEffects& effects)
{
    if (effects.boxesChanged) {
        showBoxes();
    }
    if (effects.menusChanged) {
        emit menuStateChanged();
    }
}

void FitDialog::showBoxes()
{
    const std::vector<TextBox>& boxes = m_editor.boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        QLineEdit& box = *m_boxes[i];
        const QString text = QString::fromStdString(boxes[i].text);
        if (box.text() != text) {
            // The text as the editor holds it is no keystroke: it marks nothing modified.
            const QSignalBlocker quiet(box);
            box.setText(text);
        }
        showInvalid(box, boxes[i].invalid, m_module.colours);
    }
}

void FitDialog::cmdClose_Click()
{
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void FitDialog::closeEvent(QCloseEvent* event)
{
    apply(m_editor.Form_Unload());
    event->accept();
}

frmFitParameters::frmFitParameters(Module1& module, Dialogs& dialogs, MenuState& menu,
                                   QWidget* parent)
    : FitDialog(module, dialogs, menu, kSimpleFitFields,
                {"frmFitParameters",
                 kFitParametersCaption,
                 {"txtMaxit", "txtRmin"},
                 {"lblMaxit", "lblRmin"}},
                parent)
{
    connect(txtMaxit(), &QLineEdit::textEdited, this, &frmFitParameters::txtMaxit_Change);
    connect(txtRmin(), &QLineEdit::textEdited, this, &frmFitParameters::txtRmin_Change);
    connect(txtMaxit(), &QLineEdit::editingFinished, this, &frmFitParameters::txtMaxit_LostFocus);
    connect(txtRmin(), &QLineEdit::editingFinished, this, &frmFitParameters::txtRmin_LostFocus);
}

QRect frmFitParameters::geometryFor(int innerWidth, int innerHeight)
{
    return {share(kLeftShare, innerWidth), 0, share(kWidthShare, innerWidth),
            share(kSimpleHeightShare, innerHeight)};
}

frmFitAdvanced::frmFitAdvanced(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent)
    : FitDialog(module, dialogs, menu, kAdvancedFitFields,
                {"frmFitAdvanced",
                 kFitAdvancedCaption,
                 {"txtAdvanced_0", "txtAdvanced_1", "txtAdvanced_2", "txtAdvanced_3",
                  "txtAdvanced_4", "txtAdvanced_5"},
                 {"lblAdvanced_0", "lblAdvanced_1", "lblAdvanced_2", "lblAdvanced_3",
                  "lblAdvanced_4", "lblAdvanced_5"}},
                parent)
{
    for (int i = 0; i < static_cast<int>(kAdvancedFitFields.size()); ++i) {
        connect(txtAdvanced(i), &QLineEdit::textEdited, this,
                [this, i](const QString& text) { txtAdvanced_Change(i, text); });
        connect(txtAdvanced(i), &QLineEdit::editingFinished, this,
                [this, i] { txtAdvanced_LostFocus(i); });
    }
}

QRect frmFitAdvanced::geometryFor(int innerWidth, int innerHeight)
{
    return {share(kLeftShare, innerWidth), share(kAdvancedTopShare, innerHeight),
            share(kWidthShare, innerWidth), share(kAdvancedHeightShare, innerHeight)};
}

}  // namespace varnix::app
