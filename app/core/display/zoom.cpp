#include "core/display/zoom.h"

#include <algorithm>

namespace varnix::app {

namespace {

std::size_t count(int32_t n)
{
    return static_cast<std::size_t>(std::max(n, 0));
}

std::vector<std::size_t> pointsInside(const std::vector<double>& energy, std::size_t n, double low,
                                      double high)
{
    std::vector<std::size_t> inside;
    for (std::size_t i = 0; i < std::min(n, energy.size()); ++i) {
        if (low <= energy[i] && energy[i] <= high) {
            inside.push_back(i);
        }
    }
    return inside;
}

// The given rows of every column of a column-major matrix with `rows` rows; a vector is the
// matrix of one column.
std::vector<double> keepRows(const std::vector<double>& full, std::size_t rows,
                             const std::vector<std::size_t>& kept)
{
    const std::size_t columns = rows == 0 ? 0 : full.size() / rows;
    std::vector<double> cut;
    cut.reserve(kept.size() * columns);
    for (std::size_t c = 0; c < columns; ++c) {
        for (const std::size_t row : kept) {
            cut.push_back(full[row + rows * c]);
        }
    }
    return cut;
}

bool holdsFullData(const Module1& m)
{
    const ZoomBackup& b = m.zoom;
    return b.npFull == 0 || (m.spectrum.np == b.npFull && m.spectrum.energy == b.energy &&
                             m.spectrum.counts == b.counts);
}

// Keeps dataSavedBefore true only while the file holds the full data: saving the full data
// makes it so, saving a zoomed window undoes it.
void noteSavedState(Module1& m)
{
    const bool full = holdsFullData(m);
    if (full || m.dataSaved) {
        m.zoom.dataSavedBefore = m.dataSaved && full;
    }
}

// The calculated spectrum always goes with the data, so that its length stays np; it is only
// meaningful, and the components and residuals only exist, once a calculation is done.
void takeBackup(Module1& m)
{
    ZoomBackup& b = m.zoom;
    const Spectrum& s = m.spectrum;
    b.zoomed = true;
    b.modelCurrent = m.calculationDone;
    // A backup taken anew after a calculation on zoomed data holds what is shown, which the file
    // holds only when it was saved so.
    b.dataSavedBefore = m.dataSaved;
    b.npFull = s.np;
    b.energy = s.energy;
    b.counts = s.counts;
    b.sigma = s.sigma;
    b.calculated = s.calculated;
    b.components = m.calculationDone ? m.fitResults.components : std::vector<double>{};
    b.residuals = m.calculationDone ? m.residuals : std::vector<double>{};
}

void cutFromBackup(Module1& m, const std::vector<std::size_t>& kept)
{
    const ZoomBackup& b = m.zoom;
    const std::size_t rows = count(b.npFull);
    Spectrum& s = m.spectrum;
    s.np = static_cast<int32_t>(kept.size());
    s.energy = keepRows(b.energy, rows, kept);
    s.counts = keepRows(b.counts, rows, kept);
    s.sigma = keepRows(b.sigma, rows, kept);
    s.calculated = keepRows(b.calculated, rows, kept);
    if (m.calculationDone) {
        m.fitResults.components = keepRows(b.components, rows, kept);
        m.residuals = keepRows(b.residuals, rows, kept);
    }
}

}  // namespace

ZoomOutcome ReSizePlot(Module1& module, MenuState& menu, double pressKinetic, double releaseKinetic)
{
    if (module.spectrum.np <= 0 || pressKinetic == releaseKinetic) {
        return ZoomOutcome::Nothing;
    }
    const ZoomBackup& b = module.zoom;
    const std::vector<double>& full = b.zoomed ? b.energy : module.spectrum.energy;
    const int32_t npFull = b.zoomed ? b.npFull : module.spectrum.np;
    const std::vector<std::size_t> kept =
        pointsInside(full, count(npFull), std::min(pressKinetic, releaseKinetic),
                     std::max(pressKinetic, releaseKinetic));
    if (kept.empty()) {
        return ZoomOutcome::NoPointsInside;
    }
    noteSavedState(module);
    if (!b.zoomed) {
        takeBackup(module);
    }
    cutFromBackup(module, kept);
    module.dataSaved = false;
    menu.saveAsData.enabled = true;
    return ZoomOutcome::Cut;
}

ResetOutcome resetZoom(Module1& module)
{
    if (module.zoom.npFull == 0) {
        return ResetOutcome::Nothing;
    }
    noteSavedState(module);
    const ZoomBackup& b = module.zoom;
    Spectrum& s = module.spectrum;
    s.np = b.npFull;
    s.energy = b.energy;
    s.counts = b.counts;
    s.sigma = b.sigma;
    module.dataSaved = b.dataSavedBefore;
    const bool stale = module.calculationDone && !b.modelCurrent;
    if (!stale) {
        s.calculated = b.calculated;
        if (module.calculationDone) {
            module.fitResults.components = b.components;
            module.residuals = b.residuals;
        }
        return ResetOutcome::Restored;
    }
    const std::size_t points = count(b.npFull);
    s.calculated.assign(points, 0.0);
    module.fitResults.components.assign(points * count(module.configuration.ncomp), 0.0);
    module.residuals.assign(points, 0.0);
    return ResetOutcome::ModelStale;
}

void clearZoomedFlag(ZoomBackup& zoom)
{
    zoom.zoomed = false;
    zoom.modelCurrent = false;
}

}  // namespace varnix::app
