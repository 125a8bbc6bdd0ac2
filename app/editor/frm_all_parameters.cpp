#include "editor/frm_all_parameters.h"

#include "apply_colours.h"
#include "core/all_parameters.h"
#include "display/format_grid.h"
#include "fonts.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>

namespace varnix::app {

namespace {

// Shares of the main window's inner area.
constexpr double kWidthShare = 0.5;
constexpr double kHeightShare = 0.96;

// Places in hundredths of the window, measured from its top left.
constexpr double kGridLeft = 1.0;
constexpr double kGridTop = 2.5;
constexpr double kGridWidth = 98.0;
constexpr double kGridHeight = 87.5;
constexpr double kCloseLeft = 87.5;
constexpr double kCloseTop = 92.5;
constexpr double kCloseWidth = 10.0;
constexpr double kCloseHeight = 5.0;

int share(double hundredths, int length)
{
    return static_cast<int>(hundredths / 100.0 * length);
}

}  // namespace

frmAllParameters::frmAllParameters(Module1& module, QWidget* parent)
    : QWidget(parent), m_module(module)
{
    setObjectName(QStringLiteral("frmAllParameters"));
    setWindowTitle(QString::fromLatin1(kAllParametersCaption));
    m_grdDS = new QTableWidget(this);
    m_grdDS->setObjectName(QStringLiteral("grdDS"));
    m_cmdClose = new QPushButton(QStringLiteral("Close"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdClose, &QPushButton::clicked, this, &frmAllParameters::cmdClose_Click);
    for (QWidget* control : std::initializer_list<QWidget*>{m_grdDS, m_cmdClose}) {
        control->setFont(RegularFont());
    }
    resize(geometryFor(module.innerWidth, module.innerHeight).size());
    ApplyColours(*this, module.colours);
    DrawGrid();
    placeControls();
    m_module.windowOpen.allParameters = true;
}

QRect frmAllParameters::geometryFor(int innerWidth, int innerHeight)
{
    const auto width = static_cast<int>(kWidthShare * innerWidth);
    return {width, 0, width, static_cast<int>(kHeightShare * innerHeight)};
}

void frmAllParameters::DrawGrid()
{
    const std::vector<AllParametersRow> rows = app::DrawGrid(m_module);
    m_grdDS->setRowCount(static_cast<int>(rows.size()));
    applyFormatString(*m_grdDS,
                      QString::fromLatin1(kAllParametersFormat.data(),
                                          static_cast<qsizetype>(kAllParametersFormat.size())));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t column = 0; column < rows[r].size(); ++column) {
            setCellText(*m_grdDS, static_cast<int>(r), static_cast<int>(column),
                        QString::fromStdString(rows[r][column]));
        }
    }
}

// Every row, the heading included, is a share of the window's outer height, frame and caption
// bar included.
void frmAllParameters::placeControls()
{
    const int w = width();
    const int h = height();
    m_grdDS->setGeometry(share(kGridLeft, w), share(kGridTop, h), share(kGridWidth, w),
                         share(kGridHeight, h));
    m_cmdClose->setGeometry(share(kCloseLeft, w), share(kCloseTop, h), share(kCloseWidth, w),
                            share(kCloseHeight, h));
    const QWidget* outer = parentWidget() != nullptr ? parentWidget() : this;
    const auto rowHeight = static_cast<int>(kAllParametersRowHeight * outer->height());
    QHeaderView& rows = *m_grdDS->verticalHeader();
    rows.setMinimumSectionSize(1);
    rows.setSectionResizeMode(QHeaderView::Fixed);
    rows.setDefaultSectionSize(rowHeight);
    m_grdDS->horizontalHeader()->setFixedHeight(rowHeight);
    fitColumns(*m_grdDS);
}

void frmAllParameters::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void frmAllParameters::cmdClose_Click()
{
    // Inside the main window the frame closes, and with it this window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void frmAllParameters::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.allParameters = false;
    event->accept();
}

}  // namespace varnix::app
