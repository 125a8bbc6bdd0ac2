// The region chooser: a small modal dialog that lists the spectra of a file, one row each with
// its number, name, energy range and scale, points and photon energy, so that a core level can
// be told from the survey at a glance. Rows that cannot be read (not on an energy axis, no
// points) are shown greyed and cannot be selected; OK needs a selected row, and a double click
// on one chooses it. The rows come ready-made from the core (regionRows).
#pragma once

#include "core/dialogs.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QDialogButtonBox;
class QTableWidget;

namespace varnix::app {

class RegionChooser final : public QDialog {
    Q_OBJECT

public:
    explicit RegionChooser(const RegionRequest& request, QWidget* parent = nullptr);

    // The number of the row selected; nothing while none is.
    std::optional<int32_t> selectedRegion() const;
    QTableWidget* grdRegions() const { return m_grdRegions; }

private:
    void fillRows(const RegionRequest& request);
    void fitToRows();
    void grdRegions_SelectionChanged();
    void grdRegions_DoubleClick(int row);

    QTableWidget* m_grdRegions = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

}  // namespace varnix::app
