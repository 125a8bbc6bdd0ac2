// The grid control of the result windows: a read-only QTableWidget whose header row and columns
// come from a format string in the classic grid's notation. "|" separates the columns; a leading
// "^" centres a column, "<" aligns it left and ">" right; the rest is the header text, and its
// length in characters, blanks included, sets the column's width. The blanks only make room:
// the header shows the text without them.
#pragma once

#include <QString>

class QTableWidget;

namespace varnix::app {

// Makes `grid` read-only, with one column per field of `format`, the header row taken from it
// and no row header.
void applyFormatString(QTableWidget& grid, const QString& format);

// Writes one cell as a read-only item, aligned as its column's header says.
void setCellText(QTableWidget& grid, int row, int column, const QString& text);

// The text of a cell, empty where none was written.
QString cellText(const QTableWidget& grid, int row, int column);

}  // namespace varnix::app
