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

// The width a column needs to show its heading and every cell whole, each line of a cell
// measured on its own.
int neededColumnWidth(const QTableWidget& grid, int column);

// The width the columns share: the grid's inside its frame, less the vertical scroll bar when
// the rows need one. Taken from the sizes set rather than from the scroll area, which lays
// itself out only once it is shown.
int columnSpace(const QTableWidget& grid);

// The blanks of a format string were counted for a narrower font than today's, so they no longer
// make room for the texts by themselves: each column gets the width its heading and cells need,
// and what the grid has beyond that is shared in the format string's proportions.
void fitColumns(QTableWidget& grid);

// The height of the horizontal scroll bar when the columns are wider than the space they share,
// else 0: what a grid sized to its rows must add so that its last row stays visible.
int horizontalScrollBarHeight(const QTableWidget& grid);

}  // namespace varnix::app
