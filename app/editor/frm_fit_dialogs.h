// frmFitParameters ("Fit Parameters": txtMaxit, txtRmin) and frmFitAdvanced ("Extra Fit
// Parameters": txtAdvanced(0 … 5) with lblAdvanced(0 … 5)), the two fit-parameter dialogs. Both
// are thin: FitControlsEditor (core/fit/fit_controls_editor.h) holds their rules, and FitDialog, the
// part they share, shows its boxes and carries out what its handlers return.
#pragma once

#include "core/session/dialogs.h"
#include "core/fit/fit_controls_editor.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <QRect>
#include <QWidget>

#include <span>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace varnix::app {

class FitDialog : public QWidget {
    Q_OBJECT

public:
    // What leaving each typed box would do; the main window runs it before a calculation or
    // fit, since a menu or a shortcut leaves the focus in the box.
    void commitTypedBoxes();

    QPushButton* cmdClose() const { return m_cmdClose; }

signals:
    // A keystroke marked the fit controls modified: the main window shows the menu state.
    void menuStateChanged();

protected:
    struct Names {
        const char* window;
        const char* caption;
        std::vector<const char*> boxes;
        std::vector<const char*> labels;
    };

    FitDialog(Module1& module, Dialogs& dialogs, MenuState& menu,
              std::span<const FitControlField> fields, const Names& names, QWidget* parent);

    QLineEdit* box(int i) const { return m_boxes.at(static_cast<std::size_t>(i)); }
    QLabel* label(int i) const { return m_labels.at(static_cast<std::size_t>(i)); }

    void box_Change(int i, const QString& text);
    void box_LostFocus(int i);

    // Form_Unload: the typed boxes committed.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(const Names& names);
    void apply(const FitDialogEffects& effects);
    void showBoxes();
    void cmdClose_Click();

    Module1& m_module;
    FitControlsEditor m_editor;
    std::vector<QLineEdit*> m_boxes;
    std::vector<QLabel*> m_labels;
    QPushButton* m_cmdClose = nullptr;
};

class frmFitParameters : public FitDialog {
    Q_OBJECT

public:
    // Form_Load: the boxes filled, MAXIT as a whole number and RMIN as "0.00E+00".
    frmFitParameters(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent = nullptr);

    // Left edge at half the main window's inner width, at the top; 0.35 of the inner width
    // wide and 0.3 of the inner height high.
    static QRect geometryFor(int innerWidth, int innerHeight);

    QLineEdit* txtMaxit() const { return box(0); }
    QLineEdit* txtRmin() const { return box(1); }

private:
    void txtMaxit_Change(const QString& text) { box_Change(0, text); }
    void txtRmin_Change(const QString& text) { box_Change(1, text); }
    void txtMaxit_LostFocus() { box_LostFocus(0); }
    void txtRmin_LostFocus() { box_LostFocus(1); }
};

class frmFitAdvanced : public FitDialog {
    Q_OBJECT

public:
    // Form_Load: the six boxes filled in the formats of their controls.
    frmFitAdvanced(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent = nullptr);

    // Below frmFitParameters: top edge at 0.3 of the inner height, left edge at half the inner
    // width; 0.35 of the inner width wide and 0.66 of the inner height high.
    static QRect geometryFor(int innerWidth, int innerHeight);

    QLineEdit* txtAdvanced(int i) const { return box(i); }
    QLabel* lblAdvanced(int i) const { return label(i); }

private:
    void txtAdvanced_Change(int i, const QString& text) { box_Change(i, text); }
    void txtAdvanced_LostFocus(int i) { box_LostFocus(i); }
};

}  // namespace varnix::app
