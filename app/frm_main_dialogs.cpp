// The main window's fit-parameter dialogs (Edit > Fit Parameters) and Customize windows: each
// opens once and is brought forward when chosen again. The dialogs' typed boxes count for the
// next calculation or fit, and a fit closes both dialogs; Apply of the colour window colours
// every open window.
#include "frm_main.h"

#include "apply_colours.h"
#include "editor/frm_color.h"
#include "editor/frm_ext.h"
#include "editor/frm_fit_dialogs.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace varnix::app {

// A closed window lingers until the event loop deletes it; only a shown one is reused.
bool frmMain::bringForward(const QPointer<QMdiSubWindow>& frame)
{
    if (frame == nullptr || frame->isHidden()) {
        return false;
    }
    m_mdi->setActiveSubWindow(frame);
    return true;
}

// A window is given at least the room its controls need, whatever share of the main window
// its place gives it; without a place it takes the size it prefers, at the top left.
void frmMain::showChild(QPointer<QMdiSubWindow>& frame, QWidget* form, const QRect& geometry)
{
    frame = m_mdi->addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    const QSize wanted = geometry.isValid() ? geometry.size() : frame->sizeHint();
    frame->setGeometry(QRect(geometry.topLeft(), wanted.expandedTo(frame->minimumSizeHint())));
    frame->show();
}

void frmMain::mnuFitParItem_Click(int index)
{
    QPointer<QMdiSubWindow>& frame = index == 0 ? m_fitParameters : m_fitAdvanced;
    if (bringForward(frame)) {
        return;
    }
    FitDialog* form = nullptr;
    QRect geometry;
    if (index == 0) {
        form = new frmFitParameters(m_module, m_dialogs, m_menu);
        geometry = frmFitParameters::geometryFor(m_module.innerWidth, m_module.innerHeight);
    } else {
        form = new frmFitAdvanced(m_module, m_dialogs, m_menu);
        geometry = frmFitAdvanced::geometryFor(m_module.innerWidth, m_module.innerHeight);
    }
    connect(form, &FitDialog::menuStateChanged, this, &frmMain::applyMenuState);
    showChild(frame, form, geometry);
}

void frmMain::mnuCustomizeItem_Click(int index)
{
    QPointer<QMdiSubWindow>& frame = index == 0 ? m_colour : m_extensions;
    if (bringForward(frame)) {
        return;
    }
    QWidget* form = nullptr;
    if (index == 0) {
        auto* colours = new frmColor(m_module, m_dialogs, m_loader);
        connect(colours, &frmColor::applyRequested, this, &frmMain::applyColoursEverywhere);
        form = colours;
    } else {
        form = new frmExt(m_module, m_dialogs, m_loader);
    }
    showChild(frame, form, QRect());
}

void frmMain::commitFitDialogs()
{
    for (const QPointer<QMdiSubWindow>* frame : {&m_fitParameters, &m_fitAdvanced}) {
        if (FitDialog* form = formOf<FitDialog>(*frame)) {
            form->commitTypedBoxes();
        }
    }
}

void frmMain::closeFitDialogs()
{
    for (const QPointer<QMdiSubWindow>* frame : {&m_fitParameters, &m_fitAdvanced}) {
        if (formOf<FitDialog>(*frame) != nullptr) {
            (*frame)->close();
        }
    }
}

void frmMain::applyColoursEverywhere()
{
    ApplyColours(*this, m_module.colours);
    for (QMdiSubWindow* frame : m_mdi->subWindowList()) {
        if (frame->widget() != nullptr) {
            ApplyColours(*frame->widget(), m_module.colours);
        }
    }
}

}  // namespace varnix::app
