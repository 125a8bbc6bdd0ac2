#include "display/uncertainty_grid.h"

#include "display/format_grid.h"
#include "fonts.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace varnix::app {

namespace {

constexpr const char* kCaption = "Peak Figures with Standard Deviations";

}  // namespace

UncertaintyGrid::UncertaintyGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("uncertaintyGrid"));
    m_label = new QLabel(QString::fromLatin1(kCaption), this);
    m_label->setObjectName(QStringLiteral("lblUncertainties"));
    m_label->setFont(RegularFont());
    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("grdUncertainties"));
    m_grid->setFont(RegularFont());
    m_lblDiagnosis = new QLabel(this);
    m_lblDiagnosis->setObjectName(QStringLiteral("lblDiagnosis"));
    m_lblDiagnosis->setFont(RegularFont());
    m_lblDiagnosis->setWordWrap(true);
    m_lblDiagnosis->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_grid);
    layout->addWidget(m_lblDiagnosis);
}

void UncertaintyGrid::clear(bool binding)
{
    applyFormatString(*m_grid, QString::fromStdString(uncertaintyGridFormat(binding)));
    m_grid->setRowCount(0);
    m_lblDiagnosis->clear();
    hide();
}

void UncertaintyGrid::showTable(const UncertaintyTable& table)
{
    m_grid->setRowCount(static_cast<int>(table.rows.size()));
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        const UncertaintyRow& row = table.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < m_grid->columnCount(); ++c) {
            setCellText(*m_grid, r, c,
                        QString::fromStdString(valueSigmaCell(row[static_cast<std::size_t>(c)])));
        }
    }
    m_lblDiagnosis->setText(QString::fromStdString(table.diagnosis));
    m_lblDiagnosis->setVisible(!table.diagnosis.empty());
    setVisible(!table.rows.empty());
    sizeGrid();
}

void UncertaintyGrid::setRowHeight(int height)
{
    m_rowHeight = height;
    sizeGrid();
}

// As high as its rows, and the horizontal scroll bar when the columns outgrow the window.
void UncertaintyGrid::sizeGrid()
{
    QTableWidget& grid = *m_grid;
    grid.verticalHeader()->setDefaultSectionSize(m_rowHeight);
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.horizontalHeader()->setFixedHeight(m_rowHeight);
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rows = (grid.rowCount() + 1) * m_rowHeight + 2 * grid.frameWidth();
    grid.setFixedHeight(rows);
    fitColumns(grid);
    const int scrollBar = horizontalScrollBarHeight(grid);
    grid.setFixedHeight(rows + scrollBar);
}

}  // namespace varnix::app
