#include "display/frm_results.h"

#include "apply_colours.h"
#include "core/uncertainty/uncertainty_table.h"
#include "display/format_grid.h"
#include "display/uncertainty_grid.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace varnix::app {

namespace {

// Shares of the main window's inner area: the left half, beside the plot window on the right.
constexpr double kWidthShare = 0.5;
constexpr double kHeightShare = 0.96;
// Every grid row, header included, is this share of the window's height.
constexpr double kRowShare = 0.075;
// With the peak figures below them the rows are lower, so that all three grids take at most this
// share of the window's height and none of them hides a row behind a scroll bar.
constexpr double kGridsShare = 0.7;
// One coefficient column, as a share of the window's width: a narrow screen makes a narrow
// window, whose columns need the larger share for the same text.
constexpr int kNarrowScreen = 1024;  // px
constexpr double kNarrowScreenColumnShare = 0.18;
constexpr double kWideScreenColumnShare = 0.14;
constexpr int kLinePadding = 6;  // px around the two lines of a cell
// The widest condition number: four decimals and an exponent of up to three digits.
constexpr const char* kWidestConditionNumber = "0.0000E+000";
constexpr int kLineEditHintLetters = 17;  // a line edit's size hint: its frame around 17 'x'
// The commands' grid: the two buttons, the free room, then the condition number when beside them.
constexpr int kCommandsStretchColumn = 2;

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

void setRowHeights(QTableWidget& grid, int height)
{
    grid.verticalHeader()->setDefaultSectionSize(height);
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.horizontalHeader()->setFixedHeight(height);
}

}  // namespace

frmResults::frmResults(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent)
    : QWidget(parent), m_module(module), m_dialogs(dialogs), m_menu(menu)
{
    setObjectName(QStringLiteral("frmResults"));
    setWindowTitle(QString::fromLatin1(kResultsCaption));
    resize(sizeFor(module.innerWidth, module.innerHeight));
    createControls();
    layoutControls();
    Form_Load();
    ApplyColours(*this, module.colours);
}

void frmResults::Form_Load()
{
    setWindowTitle(QString::fromLatin1(kResultsCaption));
    formatPeakGrid();
    formatPolynomialGrid(m_module.configuration.nbg);
    m_uncertainties->clear(m_module.spectrum.binding);
    m_uncertainties->setRowHeight(rowHeight());
    m_lblCond->hide();
    m_txtCond->hide();
    m_module.windowOpen.results = true;
}

QSize frmResults::sizeFor(int innerWidth, int innerHeight)
{
    return {static_cast<int>(kWidthShare * innerWidth),
            static_cast<int>(kHeightShare * innerHeight)};
}

void frmResults::createControls()
{
    auto label = [this](const char* name, const char* caption) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(RegularFont());
        return l;
    };
    auto grid = [this](const char* name) {
        auto* g = new QTableWidget(this);
        g->setObjectName(QString::fromLatin1(name));
        g->setFont(RegularFont());
        return g;
    };
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    m_lblDS = label("lblDS", "Doniach/Sunjic Parameters");
    m_grdDS = grid("grdDS");
    m_lblPoly = label("lblPoly", "Polynomial Coefficients");
    m_grdPolynomial = grid("grdPolynomial");
    m_cmdUpdate = button("cmdUpdate", "Update Configuration");
    m_cmdCorrelation = button("cmdCorrelation", "Correlation Matrix");
    m_lblCond = label("lblCond", "Condition Number");
    m_uncertainties = new UncertaintyGrid(this);
    m_txtCond = new QLineEdit(this);
    m_txtCond->setObjectName(QStringLiteral("txtCond"));
    m_txtCond->setReadOnly(true);
    m_txtCond->setFont(RegularFont());
    // A box too narrow scrolls to its end and drops leading digits: 9.8807E+10 would read
    // 8807E+10.
    const QFontMetrics metrics(m_txtCond->font());
    m_txtCond->setMinimumWidth(m_txtCond->sizeHint().width() -
                               kLineEditHintLetters * metrics.horizontalAdvance(QLatin1Char('x')) +
                               metrics.horizontalAdvance(QLatin1String(kWidestConditionNumber)));
    connect(m_cmdUpdate, &QPushButton::clicked, this, &frmResults::cmdUpdate_Click);
    connect(m_cmdCorrelation, &QPushButton::clicked, this, &frmResults::cmdCorrelation_Click);
}

void frmResults::layoutControls()
{
    m_commands = new QGridLayout;
    m_commands->addWidget(m_cmdUpdate, 0, 0);
    m_commands->addWidget(m_cmdCorrelation, 0, 1);
    m_commands->setColumnStretch(kCommandsStretchColumn, 1);
    placeConditionNumber();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblDS);
    // As high as its rows, the room left below the commands rather than inside the grid.
    layout->addWidget(m_grdDS, 1);
    layout->addWidget(m_lblPoly);
    layout->addWidget(m_grdPolynomial, 0, Qt::AlignLeft);
    layout->addWidget(m_uncertainties);
    layout->addLayout(m_commands);
    layout->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

int frmResults::rowHeight() const
{
    // Never less than the two lines of a value with its standard deviation.
    const int twoLines = 2 * QFontMetrics(RegularFont()).lineSpacing() + kLinePadding;
    const int share = static_cast<int>(std::lround(kRowShare * height()));
    if (m_uncertainties->isHidden()) {
        return std::max(share, twoLines);
    }
    const int peaks = std::max(m_module.configuration.nds, 0);
    const int rows = 2 * (peaks + 1) + (m_grdPolynomial->isHidden() ? 0 : 2);
    const int fitting = static_cast<int>(kGridsShare * height()) / rows;
    return std::max(std::min(share, fitting), twoLines);
}

void frmResults::formatPeakGrid()
{
    applyFormatString(*m_grdDS, QString::fromLatin1(peakGridFormat(m_module.spectrum.binding)));
    m_grdDS->setRowCount(std::max(m_module.configuration.nds, 0));
    sizePeakGrid();
}

// Columns as wide as their texts and the window allow, the grid as high as its rows (and the
// scroll bar, when the columns are wider than the window).
void frmResults::sizePeakGrid()
{
    QTableWidget& grid = *m_grdDS;
    const int height = rowHeight();
    setRowHeights(grid, height);
    fitColumns(grid);
    const int scrollBar = horizontalScrollBarHeight(grid);
    grid.setMaximumHeight((grid.rowCount() + 1) * height + 2 * grid.frameWidth() + scrollBar);
}

void frmResults::formatPolynomialGrid(int coefficients)
{
    applyFormatString(*m_grdPolynomial, QString::fromLatin1(polynomialGridFormat(coefficients)));
    m_grdPolynomial->setRowCount(1);
    m_grdPolynomial->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grdPolynomial->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grdPolynomial->setVisible(coefficients > 0);
    m_lblPoly->setVisible(coefficients > 0);
    sizePolynomialGrid();
}

// Each coefficient column the preset share of the window's width, or as wide as its text needs.
void frmResults::sizePolynomialGrid()
{
    QTableWidget& grid = *m_grdPolynomial;
    const int height = rowHeight();
    setRowHeights(grid, height);
    const bool narrow = QGuiApplication::primaryScreen()->geometry().width() < kNarrowScreen;
    const int share =
        static_cast<int>((narrow ? kNarrowScreenColumnShare : kWideScreenColumnShare) * width());
    int gridWidth = 2 * grid.frameWidth();
    for (int column = 0; column < grid.columnCount(); ++column) {
        grid.setColumnWidth(column, std::max(share, neededColumnWidth(grid, column)));
        gridWidth += grid.columnWidth(column);
    }
    grid.setFixedSize(gridWidth, 2 * height + 2 * grid.frameWidth());
}

// Beside the commands where the window is wide enough for all four whole, else below them: a
// narrow window would squeeze the commands' captions and the number.
void frmResults::placeConditionNumber()
{
    const int spacing = std::max(0, m_commands->horizontalSpacing());
    const QMargins margins = layout() != nullptr ? layout()->contentsMargins() : QMargins();
    const int oneRow = m_cmdUpdate->sizeHint().width() + m_cmdCorrelation->sizeHint().width() +
                       m_lblCond->sizeHint().width() + m_txtCond->minimumWidth() + 3 * spacing +
                       margins.left() + margins.right();
    const bool below = width() < oneRow;
    m_commands->removeWidget(m_lblCond);
    m_commands->removeWidget(m_txtCond);
    const int row = below ? 1 : 0;
    const int column = below ? 0 : kCommandsStretchColumn + 1;
    m_commands->addWidget(m_lblCond, row, column);
    m_commands->addWidget(m_txtCond, row, column + 1, Qt::AlignLeft);
}

void frmResults::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeConditionNumber();
    sizeGrids();
}

void frmResults::sizeGrids()
{
    sizePeakGrid();
    sizePolynomialGrid();
    m_uncertainties->setRowHeight(rowHeight());
}

bool frmResults::UpdateResults()
{
    if (!UpdateStandardDeviations(m_module.fitResults)) {
        return false;
    }
    const ResultsTable table = resultsTable(m_module);
    for (const std::string& message : table.messages) {
        m_dialogs.message(message);
    }
    showPeakRows(table.peakRows);
    showCoefficients(table.coefficients);
    m_uncertainties->showTable(uncertaintyTable(m_module));
    sizeGrids();
    if (table.conditionNumber) {
        m_txtCond->setText(text(*table.conditionNumber));
        m_lblCond->show();
        m_txtCond->show();
    }
    return true;
}

void frmResults::showPeakRows(const std::vector<PeakRow>& rows)
{
    m_grdDS->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < m_grdDS->rowCount(); ++r) {
        const PeakRow& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < kResultsColumns; ++c) {
            setCellText(*m_grdDS, r, c, text(row[static_cast<std::size_t>(c)]));
        }
    }
    sizePeakGrid();
}

void frmResults::showCoefficients(const std::vector<std::string>& coefficients)
{
    const int count = static_cast<int>(coefficients.size());
    if (count != m_grdPolynomial->columnCount()) {
        formatPolynomialGrid(count);
    }
    for (int c = 0; c < count; ++c) {
        setCellText(*m_grdPolynomial, 0, c, text(coefficients[static_cast<std::size_t>(c)]));
    }
    sizePolynomialGrid();
}

void frmResults::hideCommands()
{
    m_cmdUpdate->hide();
    m_cmdCorrelation->hide();
}

void frmResults::showFinalResults(bool brokenOff)
{
    m_cmdUpdate->show();
    m_cmdCorrelation->setVisible(!brokenOff);
    setWindowTitle(QString::fromLatin1(kFinalResultsCaption));
}

void frmResults::cmdUpdate_Click()
{
    if (UpdateConfiguration(m_module, m_menu)) {
        emit menuStateChanged();
    }
}

void frmResults::cmdCorrelation_Click()
{
    emit correlationRequested();
}

void frmResults::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.results = false;
    event->accept();
}

}  // namespace varnix::app
