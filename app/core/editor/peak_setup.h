// The rules of the peak and background setup window frmDSSetup, free of widgets: the number of
// peaks, the selected peak and its five rows, Insert Before Peak and Delete Peak, the background
// type and coefficients, and the plot window's Select mode, which moves the selected peak
// through the rows. The configuration is edited in place; every accepted edit is live at once.
//
// SetupView is a plain model of the window's controls. The window writes it into its controls
// (signals blocked) after Form_Load and after every handler, as far as the returned SetupEffects
// say, forwards each user event to the handler of the same name and carries out the effects. The
// link controls of the rows follow LinkEditor's rules (links()).
//
// A value box carries its text as typed until it is committed (on leaving it, or when a peak
// is selected, a structural change comes, the window closes, or commitTypedBoxes runs before a
// calculation or fit). Only a box whose text was typed is committed: a value shown in its
// format is never read back rounded. Text that is not a number is not committed and marks the
// box invalid until it is corrected.
#pragma once

#include "core/session/dialogs.h"
#include "core/editor/link_editor.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace varnix::app {

inline constexpr std::string_view kDeletePeakWarning =
    "Warning - later parameters which are currently correlated with this peak's parameters will "
    "now be freely varied";
inline constexpr std::string_view kPeakMoveBothFixed =
    "Peak position and height fixed to another peak(s) - cannot change";
inline constexpr std::string_view kPeakMovePositionFixed =
    "Peak position fixed to another peak(s) - only height changed";
inline constexpr std::string_view kPeakMoveHeightFixed =
    "Peak height fixed to another peak(s) - only position changed";
inline constexpr std::string_view kAutoWithoutSpectrum =
    "  Auto needs a spectrum: open the data first - background unchanged";
inline constexpr std::string_view kAutoEqualEnergies =
    "  Auto needs different first and last energies - background unchanged";

// The most peaks the number box takes: every row lists every peak, and more would make the
// window unusable long before the fit could handle them.
inline constexpr int32_t kMaxPeaksTyped = 999;
// Photon energies of data and configuration closer than this, in eV, are the same.
inline constexpr double kPhotonEnergyTolerance = 1e-5;

// lblPol(n) and txtPolValue(n).
struct CoefficientBox {
    bool visible = false;
    TextBox box;

    bool operator==(const CoefficientBox&) const = default;
};

struct SetupView {
    TextBox nds;            // txtNDS
    TextBox peakNumber;     // txtPeakNumber
    int32_t peakLimit = 1;  // UpDownPeak's maximum; its minimum, and UpDownDS's, is 1
    bool deleteEnabled = false;
    ParameterRows rows;
    int32_t background = 0;          // the optBack selected: none, constant, linear, parabolic
    bool coefficientsShown = false;  // lblCoeffts and Auto
    std::array<CoefficientBox, kMaxBackgroundCoefficients> coefficients;

    bool operator==(const SetupView&) const = default;
};

class PeakSetup {
public:
    PeakSetup(Module1& module, Dialogs& dialogs, MenuState& menu);
    PeakSetup(const PeakSetup&) = delete;
    PeakSetup& operator=(const PeakSetup&) = delete;

    const SetupView& view() const { return m_view; }
    bool ready() const { return m_ready; }
    LinkEditor& links() { return m_links; }

    // Opening: at least one peak; Delete enabled only now, for a saved configuration of two
    // peaks or more; every peak shown once from the last to the first, which normalises its
    // links; peak 1 selected; the menus by Enable. A photon energy of the data that differs from
    // the configuration's marks the configuration modified; opening never marks it saved. With
    // data the plot window is closed and the experimental spectrum drawn again.
    SetupEffects Form_Load();
    // Closing: typed boxes committed, the plot window's Select option off.
    SetupEffects Form_Unload();

    // The five rows for CurrentPeak. A peak whose five values are all 0 (a new one) takes
    // LFWHM, Alpha and GFWHM from the peak before it.
    void ShowValues();
    // The coefficient boxes for NBG.
    void ShowPol();
    // The component curves of the last calculation no longer match the peaks once their
    // number changed: they are cleared to zeros of the new size rather than drawn under other
    // peaks' numbers.
    void InitPlot();

    // Selecting a peak: typed boxes committed for the old peak, then the new peak shown, the
    // plot window's number following, the plot redrawn when that window is open. A number that
    // is not a whole number within 1 … NDS selects nothing and marks the box invalid.
    SetupEffects txtPeakNumber_Change(std::string_view text);
    // A whole number of peaks from 1 to kMaxPeaksTyped: arrays resized (new peaks 0, links into
    // removed peaks freed), the configuration modified. Fewer peaks than the selected one select
    // the last. Anything else changes nothing and marks the box invalid.
    SetupEffects txtNDS_Change(std::string_view text);
    // A new peak before the selected one: Pos and Height 0, the widths and Alpha of the peak it
    // displaces, free. The peaks from the selected one on move up, and every link into them
    // follows them.
    SetupEffects cmdInsert_Click();
    // The selected peak removed, after one OK/Cancel warning (Cancel the default, nothing
    // changed on Cancel) when any other peak's parameter is correlated with it; those become
    // free. Links into later peaks follow them down. Nothing with one peak or while Delete is
    // disabled.
    SetupEffects cmdDelete_Click();
    // Background type 0 … 3; always acts, even before the window is ready. The coefficients
    // keep their values.
    SetupEffects optBack_Click(int32_t type);
    // The straight line through the first and last data points: a0 = last counts, a1 the slope
    // in counts per eV, a2 = 0. Without a spectrum, or with equal first and last energies,
    // nothing changes and the status line says why.
    SetupEffects cmdAuto_Click();
    SetupEffects txtValue_Change(int32_t i, std::string_view text);
    // Commits a typed value of row i for CurrentPeak; its dependants follow and the plot is
    // redrawn unless the replot-suppression flag is set.
    SetupEffects txtValue_LostFocus(int32_t i, std::string_view text);
    SetupEffects txtPolValue_Change(int32_t n, std::string_view text);
    SetupEffects txtPolValue_LostFocus(int32_t n, std::string_view text);
    SetupEffects cmdShowAll_Click();

    // What leaving the boxes would do, for every box typed into and not yet committed. The main
    // window runs it while the setup window is open before Calculate Spectrum and Start Fit, so
    // that typed but unconfirmed values count.
    SetupEffects commitTypedBoxes();

    // The plot window's peak number (its txtPeak) typed or stepped: selects that peak here
    // without sending the number back.
    SetupEffects peakChosenInPlot(std::string_view text);
    // Select mode, a release at (energy as the plot shows it, intensity): the selected peak's
    // position takes the energy (as kinetic energy, "0.000") and its height the intensity
    // ("0.000e+00"), each only where its box is enabled, with one redraw or recalculation at the
    // end and the message when a box was disabled.
    SetupEffects moveSelectedPeak(double shownEnergy, double intensity);

private:
    Configuration& config() { return m_module.configuration; }
    int32_t firstOfCurrentPeak() const;
    SetupEffects selectPeak(int32_t peak);
    SetupEffects resizePeaks(int32_t nds);
    SetupEffects commitTypedCoefficients();
    SetupEffects modified();
    void requestReplot(SetupEffects& effects, int32_t plotType) const;
    bool typeIntoRow(int32_t i, std::string_view text, SetupEffects& effects);
    void checkPhotonEnergy(SetupEffects& effects);

    Module1& m_module;
    Dialogs& m_dialogs;
    MenuState& m_menu;
    SetupView m_view;
    bool m_ready = false;
    std::array<bool, kParametersPerPeak> m_rowTyped{};
    std::array<bool, kMaxBackgroundCoefficients> m_coefficientTyped{};
    LinkEditor m_links;
};

}  // namespace varnix::app
