#include "region_chooser.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace varnix::app {

namespace {

constexpr std::array<const char*, 6> kColumns = {"No.",   "Name",   "Energy range (eV)",
                                                 "Scale", "Points", "Photon energy (eV)"};
// The columns whose numbers read best right-aligned.
constexpr std::array<bool, 6> kNumeric = {true, false, false, false, true, true};

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

RegionChooser::RegionChooser(const RegionRequest& request, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRegion"));
    setWindowTitle(QStringLiteral("Choose Region"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("%1 holds %2 spectra. Choose the one to open:")
                                 .arg(QFileInfo(fromUtf8(request.fileName)).fileName())
                                 .arg(request.rows.size()),
                             this);
    label->setObjectName(QStringLiteral("lblFile"));
    layout->addWidget(label);
    m_grdRegions = new QTableWidget(this);
    m_grdRegions->setObjectName(QStringLiteral("grdRegions"));
    layout->addWidget(m_grdRegions);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fillRows(request);
    connect(m_grdRegions, &QTableWidget::itemSelectionChanged, this,
            &RegionChooser::grdRegions_SelectionChanged);
    connect(m_grdRegions, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { grdRegions_DoubleClick(row); });
    for (int row = 0; row < m_grdRegions->rowCount(); ++row) {
        if (m_grdRegions->item(row, 0)->data(Qt::UserRole).toInt() == request.proposed) {
            m_grdRegions->selectRow(row);
        }
    }
    grdRegions_SelectionChanged();
    fitToRows();
}

void RegionChooser::fillRows(const RegionRequest& request)
{
    m_grdRegions->setColumnCount(static_cast<int>(kColumns.size()));
    QStringList titles;
    for (const char* title : kColumns) {
        titles << QString::fromLatin1(title);
    }
    m_grdRegions->setHorizontalHeaderLabels(titles);
    m_grdRegions->verticalHeader()->hide();
    m_grdRegions->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdRegions->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdRegions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdRegions->setRowCount(static_cast<int>(request.rows.size()));
    for (int row = 0; row < m_grdRegions->rowCount(); ++row) {
        const RegionRow& region = request.rows[static_cast<std::size_t>(row)];
        const std::array<QString, 6> cells = {
            QString::number(region.number), fromUtf8(region.name),   fromUtf8(region.energyRange),
            fromUtf8(region.scale),         fromUtf8(region.points), fromUtf8(region.photonEnergy)};
        for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
            auto* item = new QTableWidgetItem(cells[static_cast<std::size_t>(column)]);
            // A row that cannot be read is shown for what it is, greyed and out of reach.
            item->setFlags(region.selectable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                             : Qt::NoItemFlags);
            if (kNumeric[static_cast<std::size_t>(column)]) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            item->setData(Qt::UserRole, region.number);
            m_grdRegions->setItem(row, column, item);
        }
    }
}

// Every row and column in view without scrolling, up to a third of the screen's height for a
// file of many regions, each row as low as its text.
void RegionChooser::fitToRows()
{
    const int rowHeight = fontMetrics().height() + 6;
    m_grdRegions->verticalHeader()->setMinimumSectionSize(rowHeight);
    m_grdRegions->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_grdRegions->resizeColumnsToContents();
    m_grdRegions->horizontalHeader()->setStretchLastSection(true);
    int width = 2 * m_grdRegions->frameWidth();
    for (int column = 0; column < m_grdRegions->columnCount(); ++column) {
        width += m_grdRegions->columnWidth(column);
    }
    const int height = 2 * m_grdRegions->frameWidth() +
                       m_grdRegions->horizontalHeader()->sizeHint().height() +
                       rowHeight * m_grdRegions->rowCount();
    const int most = std::max(screen()->availableGeometry().height() / 3, 4 * rowHeight);
    m_grdRegions->setMinimumWidth(width);
    m_grdRegions->setFixedHeight(std::min(height, most));
}

std::optional<int32_t> RegionChooser::selectedRegion() const
{
    const QList<QTableWidgetItem*> items = m_grdRegions->selectedItems();
    if (items.isEmpty() || !(items.front()->flags() & Qt::ItemIsSelectable)) {
        return std::nullopt;
    }
    return items.front()->data(Qt::UserRole).toInt();
}

void RegionChooser::grdRegions_SelectionChanged()
{
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(selectedRegion().has_value());
}

void RegionChooser::grdRegions_DoubleClick(int row)
{
    const QTableWidgetItem* item = m_grdRegions->item(row, 0);
    if (item != nullptr && (item->flags() & Qt::ItemIsSelectable)) {
        m_grdRegions->selectRow(row);
        accept();
    }
}

}  // namespace varnix::app
