#include "display/format_grid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>

namespace varnix::app {

namespace {

constexpr int kCellPadding = 8;  // px beside the text, both sides together

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
        grid.setHorizontalHeaderItem(column, header);
        grid.setColumnWidth(column, characterWidth * static_cast<int>(field.size()) + kCellPadding);
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

}  // namespace varnix::app
