// The results window's second grid: every peak's area, share, widths and maximum with their
// standard deviations, one figure a cell, the value over its ± σ as in grdDS; and under it the
// diagnosis of what the fit leaves undetermined. Shows what uncertaintyTable gives and nothing
// while there is none (during the iterations, after a broken-off fit).
#pragma once

#include "core/uncertainty/uncertainty_table.h"

#include <QWidget>

class QLabel;
class QTableWidget;

namespace varnix::app {

class UncertaintyGrid : public QWidget {
    Q_OBJECT

public:
    explicit UncertaintyGrid(QWidget* parent = nullptr);

    // The grid laid out afresh for the energy scale, empty and hidden.
    void clear(bool binding);
    // Fills the grid and the diagnosis; hidden when the table has no rows.
    void showTable(const UncertaintyTable& table);
    // Every row, header included, this high; the columns as wide as their texts and the grid.
    void setRowHeight(int height);

    QTableWidget* grdUncertainties() const { return m_grid; }
    QLabel* lblDiagnosis() const { return m_lblDiagnosis; }

private:
    void sizeGrid();

    QLabel* m_label = nullptr;
    QTableWidget* m_grid = nullptr;
    QLabel* m_lblDiagnosis = nullptr;
    int m_rowHeight = 0;
};

}  // namespace varnix::app
