// frmDSSetup: the peak and background setup window, in which the configuration is edited in
// place: the number of peaks, the five parameters of the selected peak with their links, the
// background type and its coefficients. Every rule is PeakSetup's (app/core/editor/peak_setup.h); the
// window writes PeakSetup's view into its controls with their signals blocked, forwards each
// user event to the core handler of the same name and shows the result. What the other windows
// must do (menus, redraw, the plot window's peak selector, Show All, the status line) goes to
// the main window, by effectsRequested after a user's event and as the return value of the
// procedures the main window calls.
//
// A value box is committed when it is left or Return is pressed; every keystroke is recorded
// first, so that a typed value is never lost. The number of peaks is taken the same way (on
// leaving its box, or at once from its spin buttons): taken per keystroke, the first digit of
// "12" would remove every peak after the first. Text that is not taken shows in a warning
// colour until it is corrected.
//
// The code is in two files: frm_ds_setup.cpp (controls and layout) and
// frm_ds_setup_handlers.cpp (the handlers and how the view is shown).
#pragma once

#include "core/session/dialogs.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"
#include "core/editor/peak_setup.h"

#include <QRect>
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace varnix::app {

class UpDown;

inline constexpr const char* kSetupCaption = "Setup for Doniach/Sunjic Parameters and BackGround";

class frmDSSetup : public QWidget {
    Q_OBJECT

public:
    frmDSSetup(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent = nullptr);

    // The sub-window's place in a main window whose inner area is innerWidth × innerHeight: the
    // left half, at the top.
    static QRect geometryFor(int innerWidth, int innerHeight);

    // Fills the window from the configuration and makes it ready for edits.
    SetupEffects Form_Load();

    // The procedures other windows call. Each shows its result here and returns what the other
    // windows must do.
    // Typed but uncommitted values count: before Calculate Spectrum and Start Fit.
    SetupEffects commitTypedBoxes();
    // The plot window's peak number typed or stepped.
    SetupEffects peakChosenInPlot(const QString& text);
    // Select mode: a release at this energy (as the plot shows it) and intensity.
    SetupEffects moveSelectedPeak(double shownEnergy, double intensity);
    // The configuration was changed by another window (an energy shift, Update Configuration):
    // the selected peak and the coefficients are shown again.
    void showConfiguration();

    QLineEdit* txtNDS() const { return m_txtNDS; }
    UpDown* UpDownDS() const { return m_upDownDS; }
    QLineEdit* txtPeakNumber() const { return m_txtPeakNumber; }
    UpDown* UpDownPeak() const { return m_upDownPeak; }
    QPushButton* cmdDelete() const { return m_cmdDelete; }
    QPushButton* cmdInsert() const { return m_cmdInsert; }
    QLineEdit* txtName(int i) const { return m_rows.at(at(i)).name; }
    QLineEdit* txtValue(int i) const { return m_rows.at(at(i)).value; }
    QCheckBox* chkVary(int i) const { return m_rows.at(at(i)).vary; }
    QComboBox* cmbVary(int i) const { return m_rows.at(at(i)).partner; }
    QLineEdit* txtFactor(int i) const { return m_rows.at(at(i)).factor; }
    QRadioButton* optX(int i) const { return m_rows.at(at(i)).multiply; }
    QRadioButton* optP(int i) const { return m_rows.at(at(i)).plus; }
    QRadioButton* optBack(int type) const { return m_optBack.at(at(type)); }
    QPushButton* cmdAuto() const { return m_cmdAuto; }
    QLineEdit* txtPolValue(int n) const { return m_txtPolValue.at(at(n)); }
    QPushButton* cmdShowAll() const { return m_cmdShowAll; }
    QPushButton* cmdClose() const { return m_cmdClose; }

signals:
    // A user's edit asks this of the other windows.
    void effectsRequested(const varnix::app::SetupEffects& effects);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // One parameter row's controls.
    struct Row {
        QLineEdit* name = nullptr;
        QLineEdit* value = nullptr;
        QCheckBox* vary = nullptr;
        QComboBox* partner = nullptr;
        QLineEdit* factor = nullptr;
        QWidget* picbox = nullptr;
        QRadioButton* multiply = nullptr;
        QRadioButton* plus = nullptr;
    };

    static std::size_t at(int index) { return static_cast<std::size_t>(index); }

    // Controls and layout (frm_ds_setup.cpp).
    void createControls();
    void createCounts();
    void createRows();
    void createBackground();
    void PlaceObjects();
    void placeCounts(QGridLayout& grid);
    void placeRows(QGridLayout& grid);
    void placeBackground(QGridLayout& grid);
    void connectCounts();
    void connectRows();
    void connectBackground();
    QLabel* addLabel(const char* caption, const char* name);
    QLineEdit* addTextBox(const QString& name);
    QPushButton* addButton(const char* caption, const char* name);

    // Handlers (frm_ds_setup_handlers.cpp), each for the control and event it is named after.
    void txtNDS_Change();
    void UpDownDS_Change(int value);
    void txtPeakNumber_Change();
    void UpDownPeak_Change(int value);
    void cmdDelete_Click();
    void cmdInsert_Click();
    void txtValue_Change(int i);
    void txtValue_LostFocus(int i);
    void chkVary_Click(int i);
    void cmbVary_Click(int i, int entry);
    void optX_Click(int i);
    void optP_Click(int i);
    void txtFactor_Change(int i);
    void txtFactor_LostFocus(int i);
    void optBack_Click(int type);
    void cmdAuto_Click();
    void txtPolValue_Change(int n);
    void txtPolValue_LostFocus(int n);
    void cmdShowAll_Click();
    void cmdClose_Click();

    // Showing the view.
    SetupEffects shown(const SetupEffects& effects);
    void forward(const SetupEffects& effects);
    void showCounts();
    void showRows();
    void showRow(const Row& controls, const ParameterRow& row);
    void showCoefficients();
    void showBox(QLineEdit& edit, const TextBox& box) const;

    Module1& m_module;
    PeakSetup m_setup;

    QLabel* m_lblDS = nullptr;
    QLabel* m_lblPeaks = nullptr;
    QLineEdit* m_txtNDS = nullptr;
    UpDown* m_upDownDS = nullptr;
    QLabel* m_lblSelect = nullptr;
    QLineEdit* m_txtPeakNumber = nullptr;
    UpDown* m_upDownPeak = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_cmdInsert = nullptr;
    std::array<QLabel*, 6> m_headings{};  // Name, Value, Fixed?, Correlated with, Factor, Operation
    std::array<Row, kParametersPerPeak> m_rows{};
    QLabel* m_lblBackground = nullptr;
    QWidget* m_picboxBack = nullptr;
    std::array<QRadioButton*, kMaxBackgroundCoefficients + 1> m_optBack{};
    QPushButton* m_cmdAuto = nullptr;
    QLabel* m_lblCoeffts = nullptr;
    std::array<QLabel*, kMaxBackgroundCoefficients> m_lblPol{};
    std::array<QLineEdit*, kMaxBackgroundCoefficients> m_txtPolValue{};
    QPushButton* m_cmdShowAll = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

}  // namespace varnix::app
