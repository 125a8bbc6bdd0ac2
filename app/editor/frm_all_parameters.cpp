#include "editor/frm_all_parameters.h"

#include "apply_colours.h"
#include "core/all_parameters.h"
#include "display/format_grid.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>

namespace varnix::app {

namespace {

// Shares of the main window's inner area.
constexpr double kWidthShare = 0.5;
constexpr double kHeightShare = 0.96;

// Places in hundredths of the window, measured from its top left.
constexpr double kGridLeft = 1.0;
constexpr double kGridTop = 2.5;
constexpr double kGridWidth = 98.0;
constexpr double kGridHeight = 87.5;
constexpr double kCloseLeft = 87.5;
constexpr double kCloseTop = 92.5;
constexpr double kCloseWidth = 10.0;
constexpr double kCloseHeight = 5.0;

constexpr int kCellPadding = 8;  // px beside a cell's text, both sides together

int share(double hundredths, int length)
{
    return static_cast<int>(hundredths / 100.0 * length);
}

// The width the columns have: the grid's, less its frame and the vertical scroll bar when the
// rows need one. Taken from the sizes set rather than from the scroll area, which lays itself
// out only once it is shown.
int gridWidth(const QTableWidget& grid)
{
    const QHeaderView& rows = *grid.verticalHeader();
    const int height =
        grid.horizontalHeader()->height() + grid.rowCount() * rows.defaultSectionSize();
    const bool scrolls = height > grid.contentsRect().height();
    return grid.contentsRect().width() -
           (scrolls ? grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0);
}

}  // namespace

frmAllParameters::frmAllParameters(Module1& module, QWidget* parent)
    : QWidget(parent), m_module(module)
{
    setObjectName(QStringLiteral("frmAllParameters"));
    setWindowTitle(QString::fromLatin1(kAllParametersCaption));
    m_grdDS = new QTableWidget(this);
    m_grdDS->setObjectName(QStringLiteral("grdDS"));
    m_cmdClose = new QPushButton(QStringLiteral("Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdClose, &QPushButton::clicked, this, &frmAllParameters::cmdClose_Click);
    for (QWidget* control : std::initializer_list<QWidget*>{m_grdDS, m_cmdClose}) {
        control->setFont(RegularFont());
    }
    resize(geometryFor(module.innerWidth, module.innerHeight).size());
    ApplyColours(*this, module.colours);
    DrawGrid();
    placeControls();
    m_module.windowOpen.allParameters = true;
}

QRect frmAllParameters::geometryFor(int innerWidth, int innerHeight)
{
    const auto width = static_cast<int>(kWidthShare * innerWidth);
    return {width, 0, width, static_cast<int>(kHeightShare * innerHeight)};
}

void frmAllParameters::DrawGrid()
{
    const std::vector<AllParametersRow> rows = app::DrawGrid(m_module);
    m_grdDS->setRowCount(static_cast<int>(rows.size()));
    applyFormatString(*m_grdDS,
                      QString::fromLatin1(kAllParametersFormat.data(),
                                          static_cast<qsizetype>(kAllParametersFormat.size())));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t column = 0; column < rows[r].size(); ++column) {
            setCellText(*m_grdDS, static_cast<int>(r), static_cast<int>(column),
                        QString::fromStdString(rows[r][column]));
        }
    }
    m_formatWidths.clear();
    for (int column = 0; column < m_grdDS->columnCount(); ++column) {
        m_formatWidths.push_back(m_grdDS->columnWidth(column));
    }
}

// The format string's blanks set the columns' widths for a narrower font than today's: each
// column is as wide as its heading and cells need, and what the grid has beyond that is shared
// in the format string's proportions.
void frmAllParameters::fitColumns()
{
    QTableWidget& grid = *m_grdDS;
    const QFontMetrics cells(grid.font());
    const QFontMetrics headings(grid.horizontalHeader()->font());
    std::vector<int> needed;
    int neededTotal = 0;
    int formatTotal = 0;
    for (int column = 0; column < grid.columnCount(); ++column) {
        int widest = headings.horizontalAdvance(grid.horizontalHeaderItem(column)->text());
        for (int row = 0; row < grid.rowCount(); ++row) {
            widest = std::max(widest, cells.horizontalAdvance(cellText(grid, row, column)));
        }
        needed.push_back(widest + kCellPadding);
        neededTotal += needed.back();
        formatTotal += m_formatWidths.at(static_cast<std::size_t>(column));
    }
    const int spare = std::max(0, gridWidth(grid) - neededTotal);
    for (int column = 0; column < grid.columnCount(); ++column) {
        const auto c = static_cast<std::size_t>(column);
        grid.setColumnWidth(column, needed[c] + spare * m_formatWidths[c] / formatTotal);
    }
}

// Every row, the heading included, is a share of the window's outer height, frame and caption
// bar included.
void frmAllParameters::placeControls()
{
    const int w = width();
    const int h = height();
    m_grdDS->setGeometry(share(kGridLeft, w), share(kGridTop, h), share(kGridWidth, w),
                         share(kGridHeight, h));
    m_cmdClose->setGeometry(share(kCloseLeft, w), share(kCloseTop, h), share(kCloseWidth, w),
                            share(kCloseHeight, h));
    const QWidget* outer = parentWidget() != nullptr ? parentWidget() : this;
    const auto rowHeight = static_cast<int>(kAllParametersRowHeight * outer->height());
    QHeaderView& rows = *m_grdDS->verticalHeader();
    rows.setMinimumSectionSize(1);
    rows.setSectionResizeMode(QHeaderView::Fixed);
    rows.setDefaultSectionSize(rowHeight);
    m_grdDS->horizontalHeader()->setFixedHeight(rowHeight);
    fitColumns();
}

void frmAllParameters::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void frmAllParameters::cmdClose_Click()
{
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void frmAllParameters::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.allParameters = false;
    event->accept();
}

}  // namespace varnix::app
