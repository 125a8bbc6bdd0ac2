#include "editor/frm_color.h"

#include "apply_colours.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace varnix::app {

namespace {

constexpr std::array<const char*, kChannelCount> kSliderNames = {"SliderRed", "SliderGreen",
                                                                 "SliderBlue"};
constexpr std::array<const char*, kChannelCount> kBoxNames = {"txtRed", "txtGreen", "txtBlue"};
constexpr std::array<const char*, kChannelCount> kChannelLabels = {"Red", "Green", "Blue"};
// Three digits and a margin; the box need not be wider than its largest value.
constexpr int kBoxCharacters = 5;
constexpr double kPreviewFontScale = 1.5;
constexpr int kPreviewLines = 3;  // the preview's height in lines of its own text

ColourChannel channelOf(std::size_t i)
{
    return static_cast<ColourChannel>(i);
}

void paintPreview(QWidget& widget, QPalette::ColorRole role, int32_t colour)
{
    QPalette palette = widget.palette();
    palette.setColor(role, toQColor(colour));
    widget.setPalette(palette);
}

}  // namespace

frmColor::frmColor(Module1& module, Dialogs& dialogs, LibraryLoader& loader, QWidget* parent)
    : QWidget(parent), m_module(module), m_dialogs(dialogs), m_loader(loader), m_editor(module)
{
    setObjectName(QStringLiteral("frmColor"));
    setWindowTitle(QString::fromLatin1(kColourCaption));
    createControls();
    m_editor.Form_Load();
    m_module.windowOpen.colours = true;
    ApplyColours(*this, module.colours);
    showView();
}

QRadioButton* frmColor::opt(ColourTarget target) const
{
    return m_options.at(static_cast<std::size_t>(target));
}

QSlider* frmColor::slider(ColourChannel channel) const
{
    return m_sliders.at(static_cast<std::size_t>(channel));
}

QLineEdit* frmColor::txt(ColourChannel channel) const
{
    return m_boxes.at(static_cast<std::size_t>(channel));
}

void frmColor::createControls()
{
    auto* top = new QHBoxLayout;
    top->addWidget(createOptions());
    top->addWidget(createSliders(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(createButtons());
}

QWidget* frmColor::createOptions()
{
    auto* picOption = new QFrame(this);
    picOption->setObjectName(QStringLiteral("picOption"));
    picOption->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(picOption);
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        const auto target = static_cast<ColourTarget>(i);
        const ColourTargetSpec& spec = colourTargetSpec(target);
        auto* option = new QRadioButton(QString::fromLatin1(spec.label), picOption);
        option->setObjectName(QString::fromLatin1(spec.option));
        option->setFont(RegularFont());
        connect(option, &QRadioButton::clicked, this, [this, target] { opt_Click(target); });
        column->addWidget(option);
        m_options[i] = option;
    }
    column->addStretch(1);
    return picOption;
}

QWidget* frmColor::createSliders()
{
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    m_lblCaption = new QLabel(panel);
    m_lblCaption->setObjectName(QStringLiteral("lblCaption"));
    m_lblCaption->setFont(RegularFont());
    grid->addWidget(m_lblCaption, 0, 0, 1, 3);
    const int boxWidth = kBoxCharacters * fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (std::size_t i = 0; i < kChannelCount; ++i) {
        const int row = static_cast<int>(i) + 1;
        auto* name = new QLabel(QString::fromLatin1(kChannelLabels[i]), panel);
        name->setFont(RegularFont());
        auto* slider = new QSlider(Qt::Horizontal, panel);
        slider->setObjectName(QString::fromLatin1(kSliderNames[i]));
        slider->setRange(0, kMaxChannel);
        auto* box = new QLineEdit(panel);
        box->setObjectName(QString::fromLatin1(kBoxNames[i]));
        box->setFont(RegularFont());
        box->setFixedWidth(boxWidth);
        grid->addWidget(name, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(box, row, 2);
        const ColourChannel channel = channelOf(i);
        // valueChanged follows both dragging and the release.
        connect(slider, &QSlider::valueChanged, this,
                [this, channel](int value) { Slider_Change(channel, value); });
        connect(box, &QLineEdit::textEdited, this,
                [this, channel](const QString& text) { txt_Change(channel, text); });
        connect(box, &QLineEdit::editingFinished, this,
                [this, channel] { txt_LostFocus(channel); });
        m_sliders[i] = slider;
        m_boxes[i] = box;
    }
    grid->addWidget(createPreview(panel), kChannelCount + 1, 0, 1, 3);
    grid->setRowStretch(kChannelCount + 1, 1);
    return panel;
}

QWidget* frmColor::createPreview(QWidget* parent)
{
    m_picColor = new QFrame(parent);
    m_picColor->setObjectName(QStringLiteral("picColor"));
    m_picColor->setFrameShape(QFrame::StyledPanel);
    m_picColor->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(m_picColor);
    m_lblFore = new QLabel(QStringLiteral("Varnix"), m_picColor);
    m_lblFore->setObjectName(QStringLiteral("lblFore"));
    QFont large = RegularFont();
    large.setPointSizeF(kPreviewFontScale * large.pointSizeF());
    large.setBold(true);
    m_lblFore->setFont(large);
    m_lblFore->setAlignment(Qt::AlignCenter);
    m_picColor->setMinimumHeight(kPreviewLines * m_lblFore->fontMetrics().lineSpacing());
    layout->addWidget(m_lblFore);
    return m_picColor;
}

QWidget* frmColor::createButtons()
{
    auto* band = new QWidget(this);
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(0, 0, 0, 0);
    auto button = [band, row](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), band);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(RegularFont());
        row->addWidget(b);
        return b;
    };
    m_cmdApply = button("cmdApply", "Apply");
    m_cmdDefaults = button("cmdDefaults", "VB Defaults");
    m_cmdRestore = button("cmdRestore", "Restore");
    m_cmdClose = button("cmdClose", "Save and Exit");
    connect(m_cmdApply, &QPushButton::clicked, this, &frmColor::cmdApply_Click);
    connect(m_cmdDefaults, &QPushButton::clicked, this, &frmColor::cmdDefaults_Click);
    connect(m_cmdRestore, &QPushButton::clicked, this, &frmColor::cmdRestore_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmColor::cmdClose_Click);
    return band;
}

// The view written into the controls with their signals blocked: what the editor shows is no
// slider move and no keystroke.
void frmColor::showView()
{
    const ColourView& view = m_editor.view();
    {
        const QSignalBlocker quiet(opt(view.selected));
        opt(view.selected)->setChecked(true);
    }
    m_lblCaption->setText(QString::fromStdString(view.caption));
    for (std::size_t i = 0; i < kChannelCount; ++i) {
        const QSignalBlocker quietSlider(m_sliders[i]);
        m_sliders[i]->setValue(view.sliders[i]);
        const QString text = QString::fromStdString(view.boxes[i].text);
        if (m_boxes[i]->text() != text) {
            const QSignalBlocker quietBox(m_boxes[i]);
            m_boxes[i]->setText(text);
        }
        showInvalid(*m_boxes[i], view.boxes[i].invalid, m_module.colours);
    }
    paintPreview(*m_picColor, QPalette::Window, view.previewBack);
    paintPreview(*m_lblFore, QPalette::WindowText, view.previewText);
}

void frmColor::opt_Click(ColourTarget target)
{
    m_editor.opt_Click(target);
    showView();
}

void frmColor::Slider_Change(ColourChannel channel, int value)
{
    m_editor.Slider_Change(channel, value);
    showView();
}

void frmColor::txt_Change(ColourChannel channel, const QString& text)
{
    m_editor.txt_Change(channel, text.toStdString());
    showView();
}

void frmColor::txt_LostFocus(ColourChannel channel)
{
    m_editor.txt_LostFocus(channel);
    showView();
}

void frmColor::cmdApply_Click()
{
    emit applyRequested();
    // Applying coloured this window too; the preview shows the selected colour again.
    showView();
}

void frmColor::cmdDefaults_Click()
{
    m_editor.cmdDefaults_Click();
    showView();
}

void frmColor::cmdRestore_Click()
{
    m_editor.cmdRestore_Click();
    showView();
}

void frmColor::cmdClose_Click()
{
    storeSettings(m_module, m_dialogs, m_loader);
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void frmColor::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.colours = false;
    event->accept();
}

}  // namespace varnix::app
