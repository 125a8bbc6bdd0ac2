#include "display/frm_correlation.h"

#include "apply_colours.h"
#include "core/results_table.h"
#include "display/format_grid.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>

namespace varnix::app {

namespace {

// Shares of the main window's inner width W and height H.
constexpr double kWindowHeightShare = 0.96;
constexpr double kGridLeftShare = 0.025;     // of W
constexpr double kGridTopShare = 0.02;       // of H
constexpr double kGridWidthShare = 0.95;     // of W
constexpr double kGridHeightShare = 0.8;     // of H
constexpr double kButtonWidthShare = 0.065;  // of W
constexpr double kButtonHeightShare = 0.05;  // of H
constexpr double kButtonGapShare = 0.0175;   // of H, between grid and button
constexpr double kButtonRightShare = 0.025;  // of W, from the window's right edge

int share(double fraction, int whole)
{
    return static_cast<int>(fraction * whole);
}

Qt::ScrollBarPolicy policy(bool wanted)
{
    return wanted ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
}

void setSectionSize(QHeaderView& header, int sections, int size)
{
    header.setMinimumSectionSize(std::min(size, header.minimumSectionSize()));
    header.setDefaultSectionSize(size);
    for (int section = 0; section < sections; ++section) {
        header.resizeSection(section, size);
    }
}

}  // namespace

frmCorrelation::frmCorrelation(Module1& module, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_module(module), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmCorrelation"));
    setWindowTitle(QString::fromLatin1(kCorrelationCaption));
    m_mgrCorrelation = new QTableWidget(this);
    m_mgrCorrelation->setObjectName(QStringLiteral("mgrCorrelation"));
    m_mgrCorrelation->setFont(RegularFont());
    applyFormatString(*m_mgrCorrelation, QString());
    // The names along the edges are cells of their own, as the classic grid had them.
    m_mgrCorrelation->horizontalHeader()->hide();
    m_cmdClose = new QPushButton(QStringLiteral("Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdClose, &QPushButton::clicked, this, &frmCorrelation::cmdClose_Click);
    placeControls();
    ApplyColours(*this, module.colours);
    m_module.windowOpen.correlation = true;
    correlation();
}

QRect frmCorrelation::geometryFor(int innerWidth, int innerHeight)
{
    return {0, 0, innerWidth, share(kWindowHeightShare, innerHeight)};
}

frmCorrelation* frmCorrelation::showIn(QMdiArea& area, Module1& module, Dialogs& dialogs)
{
    for (QMdiSubWindow* frame : area.subWindowList()) {
        auto* open = qobject_cast<frmCorrelation*>(frame->widget());
        if (open != nullptr && !frame->isHidden()) {
            area.setActiveSubWindow(frame);
            return open;
        }
    }
    auto* form = new frmCorrelation(module, dialogs);
    QMdiSubWindow* frame = area.addSubWindow(form);
    // Closed means gone, or every reopen and every fit would leave one more hidden window.
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setGeometry(geometryFor(module.innerWidth, module.innerHeight));
    frame->show();
    return form;
}

void frmCorrelation::placeControls()
{
    const int w = m_module.innerWidth;
    const int h = m_module.innerHeight;
    resize(geometryFor(w, h).size());
    const QRect grid(share(kGridLeftShare, w), share(kGridTopShare, h), share(kGridWidthShare, w),
                     share(kGridHeightShare, h));
    m_mgrCorrelation->setGeometry(grid);
    const int buttonWidth = share(kButtonWidthShare, w);
    m_cmdClose->setGeometry(w - share(kButtonRightShare, w) - buttonWidth,
                            grid.bottom() + 1 + share(kButtonGapShare, h), buttonWidth,
                            share(kButtonHeightShare, h));
}

void frmCorrelation::correlation()
{
    if (!UpdateCorrelations(m_module.fitResults)) {
        m_dialogs.message(kNoErrorMatrixMessage);
        m_mgrCorrelation->setRowCount(0);
        m_mgrCorrelation->setColumnCount(0);
        return;
    }
    const CorrelationGrid grid = correlationGrid(m_module);
    sizeGridFor(grid.order);
    for (int row = 0; row < grid.order; ++row) {
        for (int column = 0; column < grid.order; ++column) {
            setCellText(*m_mgrCorrelation, row, column,
                        QString::fromStdString(grid.cell(row, column)));
        }
    }
}

void frmCorrelation::sizeGridFor(int order)
{
    QTableWidget& grid = *m_mgrCorrelation;
    grid.setRowCount(order);
    grid.setColumnCount(order);
    const GridSizing sizing = sizeGrid(grid.width(), grid.height(), order, order,
                                       style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const bool both = sizing.scrollBars == ScrollBars::Both;
    grid.setHorizontalScrollBarPolicy(policy(both || sizing.scrollBars == ScrollBars::Horizontal));
    grid.setVerticalScrollBarPolicy(policy(both || sizing.scrollBars == ScrollBars::Vertical));
    setSectionSize(*grid.verticalHeader(), order, sizing.rowHeight);
    setSectionSize(*grid.horizontalHeader(), order, sizing.columnWidth);
    // The cells keep the size the rule gives them; the grid gives up the few pixels they leave
    // over, which would show a sliver of the next column and row with its numbers cut.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int frame = 2 * grid.frameWidth();
    const int shownColumns = std::min(order, kCorrelationGridLimit);
    const int shownRows = std::min(order, kCorrelationGridLimit);
    grid.resize(shownColumns * sizing.columnWidth + frame + (order > shownRows ? bar : 0),
                shownRows * sizing.rowHeight + frame + (order > shownColumns ? bar : 0));
}

void frmCorrelation::cmdClose_Click()
{
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void frmCorrelation::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.correlation = false;
    event->accept();
}

}  // namespace varnix::app
