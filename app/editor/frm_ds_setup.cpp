// frmDSSetup's controls and layout: the title, the peak counts with their spin buttons and the
// two peak buttons, the heading row and the five parameter rows, the background box with Auto
// and the coefficients, Show All and Close, in one column of grids that keeps the rows aligned.
#include "editor/frm_ds_setup.h"

#include "apply_colours.h"
#include "fonts.h"
#include "up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace varnix::app {

namespace {

// Shares of the main window's inner area.
constexpr double kWidthShare = 0.5;
constexpr double kHeightShare = 0.96;

// Box widths in digits: a count, a peak name ("GFWHM12"), a value ("-1.235e+03"), a factor, and
// a coefficient in its shortest exact form, which may take all of a double's digits.
constexpr int kCountDigits = 3;
constexpr int kNameDigits = 7;
constexpr int kValueDigits = 10;
constexpr int kFactorDigits = 6;
constexpr int kCoefficientDigits = 20;
// px between the columns of the rows: the window is half the main window's width.
constexpr int kColumnGap = 6;

constexpr std::array<const char*, 6> kHeadings = {"Name",   "Value",    "Fixed?", "Correlated with",
                                                  "Factor", "Operation"};
constexpr std::array<const char*, 6> kHeadingNames = {"lblName", "lblValue",  "lblFixed",
                                                      "lblCorr", "lblFactor", "lblOp"};
constexpr std::array<const char*, kMaxBackgroundCoefficients + 1> kBackgrounds = {
    "none", "constant", "linear", "parabolic"};
constexpr std::array<const char*, kMaxBackgroundCoefficients> kCoefficients = {"a0", "a1", "a2"};
constexpr std::array<const char*, kMaxBackgroundCoefficients> kCoefficientLabels = {
    "lblPol_0", "lblPol_1", "lblPol_2"};

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void setDigits(QWidget& widget, int digits)
{
    constexpr int kFrame = 12;  // px of frame and margins around the text
    const int digit = QFontMetrics(widget.font()).horizontalAdvance(QLatin1Char('0'));
    widget.setFixedWidth(digit * digits + kFrame);
}

QRadioButton* addOption(const char* caption, const QString& name, QWidget* parent)
{
    auto* option = new QRadioButton(QString::fromLatin1(caption), parent);
    option->setObjectName(name);
    return option;
}

}  // namespace

frmDSSetup::frmDSSetup(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent)
    : QWidget(parent), m_module(module), m_setup(module, dialogs, menu)
{
    setObjectName(QStringLiteral("frmDSSetup"));
    setWindowTitle(QString::fromLatin1(kSetupCaption));
    createControls();
    PlaceObjects();
    connectCounts();
    connectRows();
    connectBackground();
    ApplyColours(*this, module.colours);
}

QRect frmDSSetup::geometryFor(int innerWidth, int innerHeight)
{
    return {0, 0, static_cast<int>(kWidthShare * innerWidth),
            static_cast<int>(kHeightShare * innerHeight)};
}

// ---- controls -----------------------------------------------------------------------------

QLabel* frmDSSetup::addLabel(const char* caption, const char* name)
{
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(RegularFont());
    return label;
}

QLineEdit* frmDSSetup::addTextBox(const QString& name)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setFont(RegularFont());
    return box;
}

QPushButton* frmDSSetup::addButton(const char* caption, const char* name)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void frmDSSetup::createControls()
{
    m_lblDS = addLabel("Doniach/Sunjic Parameters", "lblDS");
    m_lblDS->setFont(LargeFont());
    createCounts();
    createRows();
    createBackground();
    m_cmdShowAll = addButton("Show All", "cmdShowAll");
    m_cmdClose = addButton("Close", "cmdClose");
}

void frmDSSetup::createCounts()
{
    m_lblPeaks = addLabel("Number of peaks", "lblPeaks");
    m_txtNDS = addTextBox(QStringLiteral("txtNDS"));
    m_upDownDS = new UpDown(this);
    m_upDownDS->setObjectName(QStringLiteral("UpDownDS"));
    m_upDownDS->setRange(1, kMaxPeaksTyped);
    m_lblSelect = addLabel("Select peak", "lblSelect");
    m_txtPeakNumber = addTextBox(QStringLiteral("txtPeakNumber"));
    m_upDownPeak = new UpDown(this);
    m_upDownPeak->setObjectName(QStringLiteral("UpDownPeak"));
    m_cmdDelete = addButton("Delete Peak", "cmdDelete");
    m_cmdInsert = addButton("Insert Before Peak", "cmdInsert");
    m_lblPeaks->setBuddy(m_txtNDS);
    m_lblSelect->setBuddy(m_txtPeakNumber);
    setDigits(*m_txtNDS, kCountDigits);
    setDigits(*m_txtPeakNumber, kCountDigits);
    m_upDownDS->fitBeside(*m_txtNDS);
    m_upDownPeak->fitBeside(*m_txtPeakNumber);
}

void frmDSSetup::createRows()
{
    for (std::size_t h = 0; h < kHeadings.size(); ++h) {
        m_headings.at(h) = addLabel(kHeadings.at(h), kHeadingNames.at(h));
    }
    for (int i = 0; i < kParametersPerPeak; ++i) {
        Row& row = m_rows.at(at(i));
        row.name = addTextBox(indexed("txtName", i));
        row.name->setReadOnly(true);
        row.name->setFocusPolicy(Qt::NoFocus);
        row.name->setAccessibleName(QStringLiteral("Name"));
        row.value = addTextBox(indexed("txtValue", i));
        row.vary = new QCheckBox(QStringLiteral("no"), this);
        row.vary->setObjectName(indexed("chkVary", i));
        row.partner = new QComboBox(this);
        row.partner->setObjectName(indexed("cmbVary", i));
        row.partner->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        row.factor = addTextBox(indexed("txtFactor", i));
        row.picbox = new QWidget(this);
        row.picbox->setObjectName(indexed("picbox", i));
        row.multiply = addOption("x", indexed("optX", i), row.picbox);
        row.plus = addOption("+", indexed("optP", i), row.picbox);
        auto* options = new QHBoxLayout(row.picbox);
        options->setContentsMargins(0, 0, 0, 0);
        options->setSpacing(kColumnGap);
        options->addWidget(row.multiply);
        options->addWidget(row.plus);
        options->addStretch(1);
        setDigits(*row.name, kNameDigits);
        setDigits(*row.value, kValueDigits);
        setDigits(*row.factor, kFactorDigits);
        for (QWidget* control : std::initializer_list<QWidget*>{row.name, row.value, row.vary}) {
            control->hide();  // until a peak is shown
        }
    }
}

void frmDSSetup::createBackground()
{
    m_lblBackground = addLabel("Background", "lblBackground");
    m_picboxBack = new QWidget(this);
    m_picboxBack->setObjectName(QStringLiteral("picboxBack"));
    auto* stacked = new QVBoxLayout(m_picboxBack);
    stacked->setContentsMargins(0, 0, 0, 0);
    for (int type = 0; type <= kMaxBackgroundCoefficients; ++type) {
        m_optBack.at(at(type)) =
            addOption(kBackgrounds.at(at(type)), indexed("optBack", type), m_picboxBack);
        stacked->addWidget(m_optBack.at(at(type)));
    }
    m_cmdAuto = addButton("Auto", "cmdAuto");
    m_lblCoeffts = addLabel("Polynomial coefficients", "lblCoeffts");
    for (int n = 0; n < kMaxBackgroundCoefficients; ++n) {
        m_lblPol.at(at(n)) = addLabel(kCoefficients.at(at(n)), kCoefficientLabels.at(at(n)));
        m_txtPolValue.at(at(n)) = addTextBox(indexed("txtPolValue", n));
        m_lblPol.at(at(n))->setBuddy(m_txtPolValue.at(at(n)));
        setDigits(*m_txtPolValue.at(at(n)), kCoefficientDigits);
    }
}

// ---- layout (PlaceObjects) ------------------------------------------------------------------

void frmDSSetup::PlaceObjects()
{
    auto* column = new QVBoxLayout(this);
    constexpr int kMargin = 6;  // px: the window is half the main window's width
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->addWidget(m_lblDS);
    auto* counts = new QGridLayout();
    placeCounts(*counts);
    column->addLayout(counts);
    column->addSpacing(m_lblDS->sizeHint().height() / 2);
    auto* rows = new QGridLayout();
    placeRows(*rows);
    column->addLayout(rows);
    column->addSpacing(m_lblDS->sizeHint().height());
    auto* background = new QGridLayout();
    placeBackground(*background);
    column->addLayout(background);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(m_cmdShowAll);
    buttons->addWidget(m_cmdClose);
    column->addLayout(buttons);
}

// "Number of peaks" and "Select peak" one above the other, each box with its spin buttons, the
// two peak buttons beside the peak selector.
void frmDSSetup::placeCounts(QGridLayout& grid)
{
    grid.addWidget(m_lblPeaks, 0, 0);
    grid.addWidget(m_txtNDS, 0, 1);
    grid.addWidget(m_upDownDS, 0, 2);
    grid.addWidget(m_lblSelect, 1, 0);
    grid.addWidget(m_txtPeakNumber, 1, 1);
    grid.addWidget(m_upDownPeak, 1, 2);
    grid.addWidget(m_cmdDelete, 1, 3);
    grid.addWidget(m_cmdInsert, 1, 4);
    grid.setHorizontalSpacing(kColumnGap);
    grid.setColumnStretch(5, 1);
}

void frmDSSetup::placeRows(QGridLayout& grid)
{
    for (std::size_t h = 0; h < m_headings.size(); ++h) {
        grid.addWidget(m_headings.at(h), 0, static_cast<int>(h));
    }
    for (int i = 0; i < kParametersPerPeak; ++i) {
        const Row& row = m_rows.at(at(i));
        const int line = i + 1;
        grid.addWidget(row.name, line, 0);
        grid.addWidget(row.value, line, 1);
        grid.addWidget(row.vary, line, 2);
        grid.addWidget(row.partner, line, 3);
        grid.addWidget(row.factor, line, 4);
        grid.addWidget(row.picbox, line, 5);
    }
    grid.setHorizontalSpacing(kColumnGap);
    grid.setColumnStretch(6, 1);
}

// "Background" over its four options; Auto beside them; the coefficients, each after its name.
void frmDSSetup::placeBackground(QGridLayout& grid)
{
    grid.addWidget(m_lblBackground, 0, 0);
    grid.addWidget(m_picboxBack, 1, 0, kMaxBackgroundCoefficients + 1, 1, Qt::AlignTop);
    grid.addWidget(m_cmdAuto, 1, 1, Qt::AlignTop | Qt::AlignHCenter);
    grid.addWidget(m_lblCoeffts, 0, 2, 1, 2);
    for (int n = 0; n < kMaxBackgroundCoefficients; ++n) {
        grid.addWidget(m_lblPol.at(at(n)), n + 1, 2, Qt::AlignRight);
        grid.addWidget(m_txtPolValue.at(at(n)), n + 1, 3);
    }
    // Auto keeps its place while it is hidden, so that the coefficients do not jump.
    grid.setColumnMinimumWidth(1, m_cmdAuto->sizeHint().width() + 4 * kColumnGap);
    grid.setColumnStretch(4, 1);
}

// ---- connections --------------------------------------------------------------------------

void frmDSSetup::connectCounts()
{
    connect(m_txtNDS, &QLineEdit::editingFinished, this, &frmDSSetup::txtNDS_Change);
    connect(m_upDownDS, &UpDown::stepped, this, &frmDSSetup::UpDownDS_Change);
    connect(m_txtPeakNumber, &QLineEdit::textEdited, this, &frmDSSetup::txtPeakNumber_Change);
    connect(m_upDownPeak, &UpDown::stepped, this, &frmDSSetup::UpDownPeak_Change);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmDSSetup::cmdDelete_Click);
    connect(m_cmdInsert, &QPushButton::clicked, this, &frmDSSetup::cmdInsert_Click);
}

void frmDSSetup::connectRows()
{
    for (int i = 0; i < kParametersPerPeak; ++i) {
        const Row& row = m_rows.at(at(i));
        connect(row.value, &QLineEdit::textEdited, this, [this, i] { txtValue_Change(i); });
        connect(row.value, &QLineEdit::editingFinished, this, [this, i] { txtValue_LostFocus(i); });
        connect(row.vary, &QCheckBox::clicked, this, [this, i] { chkVary_Click(i); });
        connect(row.partner, &QComboBox::activated, this,
                [this, i](int entry) { cmbVary_Click(i, entry); });
        connect(row.multiply, &QRadioButton::clicked, this, [this, i] { optX_Click(i); });
        connect(row.plus, &QRadioButton::clicked, this, [this, i] { optP_Click(i); });
        connect(row.factor, &QLineEdit::textEdited, this, [this, i] { txtFactor_Change(i); });
        connect(row.factor, &QLineEdit::editingFinished, this,
                [this, i] { txtFactor_LostFocus(i); });
    }
}

void frmDSSetup::connectBackground()
{
    for (int type = 0; type <= kMaxBackgroundCoefficients; ++type) {
        connect(m_optBack.at(at(type)), &QRadioButton::clicked, this,
                [this, type] { optBack_Click(type); });
    }
    connect(m_cmdAuto, &QPushButton::clicked, this, &frmDSSetup::cmdAuto_Click);
    for (int n = 0; n < kMaxBackgroundCoefficients; ++n) {
        QLineEdit* box = m_txtPolValue.at(at(n));
        connect(box, &QLineEdit::textEdited, this, [this, n] { txtPolValue_Change(n); });
        connect(box, &QLineEdit::editingFinished, this, [this, n] { txtPolValue_LostFocus(n); });
    }
    connect(m_cmdShowAll, &QPushButton::clicked, this, &frmDSSetup::cmdShowAll_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmDSSetup::cmdClose_Click);
}

}  // namespace varnix::app
