// frmDSSetup's handlers and how the view is shown. Each handler reads its control, calls the core
// handler of the same name and shows the result; the view is written into the controls with
// their signals blocked, so that only the user's own actions come back as events.
#include "editor/frm_ds_setup.h"

#include "apply_colours.h"
#include "up_down.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace varnix::app {

namespace {

// Typed text that is not taken: a pale red under which the text stays readable.
const QColor kWarningColour(255, 190, 190);

QString toQString(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string typed(const QLineEdit& box)
{
    return box.text().toStdString();
}

// An option of an exclusive pair or group can be cleared only with its exclusivity off.
void setOption(QRadioButton& option, bool selected)
{
    if (option.isChecked() == selected) {
        return;
    }
    const QSignalBlocker blocker(option);
    option.setAutoExclusive(false);
    option.setChecked(selected);
    option.setAutoExclusive(true);
}

void showList(QComboBox& list, const ParameterRow& row)
{
    const QSignalBlocker blocker(list);
    QStringList entries;
    for (const std::string& entry : row.entries) {
        entries << toQString(entry);
    }
    QStringList shown;
    for (int e = 0; e < list.count(); ++e) {
        shown << list.itemText(e);
    }
    if (shown != entries) {
        list.clear();
        list.addItems(entries);
    }
    list.setCurrentIndex(row.selectedEntry);
    list.setEnabled(row.listEnabled);
}

}  // namespace

// ---- procedures other windows call ----------------------------------------------------------

SetupEffects frmDSSetup::Form_Load()
{
    return shown(m_setup.Form_Load());
}

SetupEffects frmDSSetup::commitTypedBoxes()
{
    return shown(m_setup.commitTypedBoxes());
}

SetupEffects frmDSSetup::peakChosenInPlot(const QString& text)
{
    return shown(m_setup.peakChosenInPlot(text.toStdString()));
}

SetupEffects frmDSSetup::moveSelectedPeak(double shownEnergy, double intensity)
{
    return shown(m_setup.moveSelectedPeak(shownEnergy, intensity));
}

void frmDSSetup::showConfiguration()
{
    m_setup.ShowValues();
    m_setup.ShowPol();
    showRows();
    showCoefficients();
}

void frmDSSetup::closeEvent(QCloseEvent* event)
{
    forward(m_setup.Form_Unload());
    event->accept();
}

// ---- peaks --------------------------------------------------------------------------------

void frmDSSetup::txtNDS_Change()
{
    // Return or leaving the box without typing takes nothing.
    if (!m_txtNDS->isModified()) {
        return;
    }
    m_txtNDS->setModified(false);
    forward(m_setup.txtNDS_Change(typed(*m_txtNDS)));
}

void frmDSSetup::UpDownDS_Change(int value)
{
    m_txtNDS->setModified(false);
    forward(m_setup.txtNDS_Change(std::to_string(value)));
}

void frmDSSetup::txtPeakNumber_Change()
{
    forward(m_setup.txtPeakNumber_Change(typed(*m_txtPeakNumber)));
}

void frmDSSetup::UpDownPeak_Change(int value)
{
    forward(m_setup.txtPeakNumber_Change(std::to_string(value)));
}

void frmDSSetup::cmdDelete_Click()
{
    forward(m_setup.cmdDelete_Click());
}

void frmDSSetup::cmdInsert_Click()
{
    forward(m_setup.cmdInsert_Click());
}

// ---- the parameter rows and their links -----------------------------------------------------

void frmDSSetup::txtValue_Change(int i)
{
    forward(m_setup.txtValue_Change(i, typed(*txtValue(i))));
}

void frmDSSetup::txtValue_LostFocus(int i)
{
    forward(m_setup.txtValue_LostFocus(i, typed(*txtValue(i))));
}

void frmDSSetup::chkVary_Click(int i)
{
    forward(m_setup.links().chkVary_Click(i, chkVary(i)->isChecked()));
}

void frmDSSetup::cmbVary_Click(int i, int entry)
{
    forward(m_setup.links().cmbVary_Click(i, entry));
}

void frmDSSetup::optX_Click(int i)
{
    forward(m_setup.links().optX_Click(i));
}

void frmDSSetup::optP_Click(int i)
{
    forward(m_setup.links().optP_Click(i));
}

void frmDSSetup::txtFactor_Change(int i)
{
    forward(m_setup.links().txtFactor_Change(i, typed(*txtFactor(i))));
}

void frmDSSetup::txtFactor_LostFocus(int i)
{
    forward(m_setup.links().txtFactor_LostFocus(i, typed(*txtFactor(i))));
}

// ---- background and buttons -----------------------------------------------------------------

void frmDSSetup::optBack_Click(int type)
{
    forward(m_setup.optBack_Click(type));
}

void frmDSSetup::cmdAuto_Click()
{
    forward(m_setup.cmdAuto_Click());
}

void frmDSSetup::txtPolValue_Change(int n)
{
    forward(m_setup.txtPolValue_Change(n, typed(*txtPolValue(n))));
}

void frmDSSetup::txtPolValue_LostFocus(int n)
{
    forward(m_setup.txtPolValue_LostFocus(n, typed(*txtPolValue(n))));
}

void frmDSSetup::cmdShowAll_Click()
{
    forward(m_setup.cmdShowAll_Click());
}

void frmDSSetup::cmdClose_Click()
{
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

// ---- showing the view -----------------------------------------------------------------------

SetupEffects frmDSSetup::shown(const SetupEffects& effects)
{
    if (effects.countsChanged) {
        showCounts();
    }
    if (effects.rowsChanged) {
        showRows();
    }
    if (effects.coefficientsChanged) {
        showCoefficients();
    }
    return effects;
}

void frmDSSetup::forward(const SetupEffects& effects)
{
    if (shown(effects) != SetupEffects{}) {
        emit effectsRequested(effects);
    }
}

void frmDSSetup::showCounts()
{
    const SetupView& view = m_setup.view();
    // A number of peaks being typed stays until it is taken.
    if (!m_txtNDS->isModified()) {
        showBox(*m_txtNDS, view.nds);
    }
    showBox(*m_txtPeakNumber, view.peakNumber);
    m_upDownDS->setValue(m_module.configuration.nds);
    m_upDownPeak->setRange(1, view.peakLimit);
    m_upDownPeak->setValue(m_module.currentPeak);
    m_cmdDelete->setEnabled(view.deleteEnabled);
}

void frmDSSetup::showRows()
{
    for (int i = 0; i < kParametersPerPeak; ++i) {
        showRow(m_rows.at(at(i)), m_setup.view().rows.at(at(i)));
    }
}

void frmDSSetup::showRow(const Row& controls, const ParameterRow& row)
{
    const QString name = toQString(row.name);
    controls.name->setText(name);
    controls.value->setAccessibleName(QStringLiteral("Value of %1").arg(name));
    controls.factor->setAccessibleName(QStringLiteral("Factor of %1").arg(name));
    showBox(*controls.value, row.value);
    {
        const QSignalBlocker blocker(controls.vary);
        controls.vary->setChecked(row.fixed);
    }
    controls.vary->setText(toQString(row.fixedCaption));
    for (QWidget* control :
         std::initializer_list<QWidget*>{controls.name, controls.value, controls.vary}) {
        control->setVisible(row.visible);
    }
    showList(*controls.partner, row);
    showBox(*controls.factor, row.factor);
    controls.picbox->setEnabled(row.operationEnabled);
    setOption(*controls.multiply, row.multiplySelected);
    setOption(*controls.plus, row.plusSelected);
}

void frmDSSetup::showCoefficients()
{
    const SetupView& view = m_setup.view();
    m_lblCoeffts->setVisible(view.coefficientsShown);
    m_cmdAuto->setVisible(view.coefficientsShown);
    for (int n = 0; n < kMaxBackgroundCoefficients; ++n) {
        const CoefficientBox& coefficient = view.coefficients.at(at(n));
        m_lblPol.at(at(n))->setVisible(coefficient.visible);
        m_txtPolValue.at(at(n))->setVisible(coefficient.visible);
        showBox(*m_txtPolValue.at(at(n)), coefficient.box);
    }
    for (int type = 0; type <= kMaxBackgroundCoefficients; ++type) {
        setOption(*m_optBack.at(at(type)), type == view.background);
    }
}

void frmDSSetup::showBox(QLineEdit& edit, const TextBox& box) const
{
    const QString text = toQString(box.text);
    // Rewriting the same text would move the cursor of a box being typed in.
    if (edit.text() != text) {
        const QSignalBlocker blocker(edit);
        edit.setText(text);
    }
    edit.setEnabled(box.enabled);
    // A box whose value is computed from another peak's shows the window's colour, so that it
    // does not look like one to type in.
    const Colours& colours = m_module.colours;
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, box.invalid   ? kWarningColour
                                     : box.enabled ? toQColor(colours.textBoxBack)
                                                   : toQColor(colours.windowBack));
    edit.setPalette(palette);
}

}  // namespace varnix::app
