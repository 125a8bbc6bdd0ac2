#include "display/format_grid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>
#include <vector>

namespace varnix::app {

namespace {

constexpr int kCellPadding = 8;  // px beside the text, both sides together
// The header item keeps its column's width as the format string set it.
constexpr int kFormatWidthRole = Qt::UserRole;

int widestLine(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

int formatWidth(const QTableWidget& grid, int column)
{
    const QTableWidgetItem* header = grid.horizontalHeaderItem(column);
    return header != nullptr ? header->data(kFormatWidthRole).toInt() : 0;
}

Qt::Alignment alignmentOf(QChar mark)
{
    switch (mark.toLatin1()) {
        case '^':
            return Qt::AlignHCenter;
        case '>':
            return Qt::AlignRight;
        default:
            return Qt::AlignLeft;
    }
}

bool isAlignmentMark(const QString& field)
{
    return field.startsWith(QLatin1Char('^')) || field.startsWith(QLatin1Char('<')) ||
           field.startsWith(QLatin1Char('>'));
}

}  // namespace

void applyFormatString(QTableWidget& grid, const QString& format)
{
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.verticalHeader()->hide();
    const QStringList fields = format.isEmpty() ? QStringList() : format.split(QLatin1Char('|'));
    grid.setColumnCount(static_cast<int>(fields.size()));
    // Widths in characters were meant for digits, which fill the cells below.
    const int characterWidth = QFontMetrics(grid.font()).horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < grid.columnCount(); ++column) {
        QString field = fields[column];
        Qt::Alignment alignment = Qt::AlignLeft;
        if (isAlignmentMark(field)) {
            alignment = alignmentOf(field.front());
            field.remove(0, 1);
        }
        auto* header = new QTableWidgetItem(field.trimmed());
        header->setTextAlignment(alignment | Qt::AlignVCenter);
        const int width = characterWidth * static_cast<int>(field.size()) + kCellPadding;
        header->setData(kFormatWidthRole, width);
        grid.setHorizontalHeaderItem(column, header);
        grid.setColumnWidth(column, width);
    }
}

void setCellText(QTableWidget& grid, int row, int column, const QString& text)
{
    Q_ASSERT(row < grid.rowCount() && column < grid.columnCount());
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    const QTableWidgetItem* header = grid.horizontalHeaderItem(column);
    if (header != nullptr) {
        item->setData(Qt::TextAlignmentRole, header->data(Qt::TextAlignmentRole));
    } else {
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    grid.setItem(row, column, item);
}

QString cellText(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item != nullptr ? item->text() : QString();
}

int neededColumnWidth(const QTableWidget& grid, int column)
{
    const QTableWidgetItem* header = grid.horizontalHeaderItem(column);
    int widest = grid.horizontalHeader()->isHidden() || header == nullptr
                     ? 0
                     : widestLine(QFontMetrics(grid.horizontalHeader()->font()), header->text());
    const QFontMetrics cells(grid.font());
    for (int row = 0; row < grid.rowCount(); ++row) {
        widest = std::max(widest, widestLine(cells, cellText(grid, row, column)));
    }
    return widest + kCellPadding;
}

int columnSpace(const QTableWidget& grid)
{
    const QHeaderView& rows = *grid.verticalHeader();
    int height = grid.rowCount() * rows.defaultSectionSize();
    if (!grid.horizontalHeader()->isHidden()) {
        height += grid.horizontalHeader()->height();
    }
    const bool scrolls = height > grid.contentsRect().height();
    return grid.contentsRect().width() -
           (scrolls ? grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0);
}

void fitColumns(QTableWidget& grid)
{
    std::vector<int> needed;
    int neededTotal = 0;
    int formatTotal = 0;
    for (int column = 0; column < grid.columnCount(); ++column) {
        needed.push_back(neededColumnWidth(grid, column));
        neededTotal += needed.back();
        formatTotal += formatWidth(grid, column);
    }
    const int spare = std::max(0, columnSpace(grid) - neededTotal);
    for (int column = 0; column < grid.columnCount(); ++column) {
        const int share = formatTotal > 0 ? spare * formatWidth(grid, column) / formatTotal : 0;
        grid.setColumnWidth(column, needed[static_cast<std::size_t>(column)] + share);
    }
}

int horizontalScrollBarHeight(const QTableWidget& grid)
{
    int columns = 0;
    for (int column = 0; column < grid.columnCount(); ++column) {
        columns += grid.columnWidth(column);
    }
    return columns > columnSpace(grid) ? grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
}

}  // namespace varnix::app
