#include "display/frm_graph.h"

#include "apply_colours.h"
#include "core/number_format.h"
#include "core/zoom.h"
#include "display/chart_drawing.h"
#include "display/figure_export.h"
#include "fonts.h"
#include "up_down.h"

#include <qcustomplot.h>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace varnix::app {

namespace {

// Shares of the main window's inner area.
constexpr double kWidthShare = 0.5;
constexpr double kHeightShare = 0.96;

// PlaceThings works in a window of 100 × 100 units.
constexpr double kUnits = 100.0;
constexpr double kGraphLeft = 2.5;
constexpr double kGraphWidth = 95.0;
constexpr double kGraphHeight = 84.0;
constexpr double kBandTop = 85.0;
constexpr double kBandHeight = 14.0;
// The band's two rows: read-outs and peak selector above, the export button below.
constexpr double kUpperRow = 0.3;
constexpr double kLowerRow = 0.75;
constexpr double kSelectorLeft = 40.0;
constexpr int kSelectorGap = 4;  // px between the selector's caption, box and buttons
constexpr int kPeakDigits = 3;

QString text(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

}  // namespace

frmGraph::frmGraph(Module1& module, Dialogs& dialogs, MenuState& menu, QWidget* parent)
    : QWidget(parent), m_module(module), m_dialogs(dialogs), m_menu(menu)
{
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Plot"));
    createControls();
    Form_Load();
}

frmGraph::~frmGraph()
{
    // A window closed earlier has cleared the flag already; by now a new one may own it.
    if (m_loaded) {
        m_module.windowOpen.plot = false;
    }
}

QRect frmGraph::geometryFor(int innerWidth, int innerHeight)
{
    const auto width = static_cast<int>(kWidthShare * innerWidth);
    return {width, 0, width, static_cast<int>(kHeightShare * innerHeight)};
}

// ---- controls -----------------------------------------------------------------------------

void frmGraph::createControls()
{
    m_graph = new QCustomPlot(this);
    m_graph->setObjectName(QStringLiteral("Graph1"));
    m_graph->setMouseTracking(true);
    connect(m_graph, &QCustomPlot::mousePress, this, &frmGraph::Graph1_MouseDown);
    connect(m_graph, &QCustomPlot::mouseMove, this, &frmGraph::Graph1_MouseMove);
    connect(m_graph, &QCustomPlot::mouseRelease, this, &frmGraph::Graph1_MouseUp);
    m_rubberBand = new QRubberBand(QRubberBand::Rectangle, m_graph);

    m_label1 = addLabel("X", "Label1");
    m_txtX = addReadout("txtX");
    m_label2 = addLabel("Y", "Label2");
    m_txtY = addReadout("txtY");
    m_lblSelect = addLabel("Select Peak", "lblSelect");
    m_txtPeak = new QLineEdit(this);
    m_txtPeak->setObjectName(QStringLiteral("txtPeak"));
    constexpr int kFrame = 12;  // px of frame and margins around the text
    m_txtPeak->setFixedWidth(
        kPeakDigits * QFontMetrics(RegularFont()).horizontalAdvance(QLatin1Char('0')) + kFrame);
    connect(m_txtPeak, &QLineEdit::textEdited, this, &frmGraph::txtPeak_Change);
    m_upDownPeak = new UpDown(this);
    m_upDownPeak->setObjectName(QStringLiteral("UpDownPeak"));
    m_upDownPeak->fitBeside(*m_txtPeak);
    connect(m_upDownPeak, &UpDown::stepped, this, &frmGraph::UpDownPeak_Change);

    m_pic1 = new QWidget(this);
    m_pic1->setObjectName(QStringLiteral("pic1"));
    auto* options = new QVBoxLayout(m_pic1);
    options->setContentsMargins(0, 0, 0, 0);
    m_optSelect = addOption("Select", "optSelect");
    m_optZoom = addOption("Zoom", "optZoom");
    m_optReset = addOption("Reset", "optReset");
    for (QRadioButton* option : {m_optSelect, m_optZoom, m_optReset}) {
        options->addWidget(option);
    }
    m_optZoom->setChecked(true);
    m_optReset->setEnabled(false);  // nothing to reset before a zoom
    createExportMenu();
    // Clicked, not toggled: choosing Zoom when it is chosen already (as a fit leaves it) still
    // offers Reset again.
    connect(m_optZoom, &QRadioButton::clicked, this, &frmGraph::optZoom_Click);
    connect(m_optReset, &QRadioButton::clicked, this, &frmGraph::optReset_Click);
}

QLabel* frmGraph::addLabel(const char* caption, const char* name)
{
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* frmGraph::addReadout(const char* name)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    return box;
}

QRadioButton* frmGraph::addOption(const char* caption, const char* name)
{
    auto* option = new QRadioButton(QString::fromLatin1(caption), m_pic1);
    option->setObjectName(QString::fromLatin1(name));
    return option;
}

void frmGraph::createExportMenu()
{
    m_exportMenu = new QMenu(this);
    m_exportMenu->setObjectName(QStringLiteral("mnuExport"));
    const std::array<const char*, 2> captions = {"Export Figure, Single Column (3.5 in) ...",
                                                 "Export Figure, Double Column (7 in) ..."};
    for (int index = 0; index < static_cast<int>(captions.size()); ++index) {
        QAction* item = m_exportMenu->addAction(
            QString::fromLatin1(captions.at(static_cast<std::size_t>(index))));
        item->setObjectName(QStringLiteral("mnuExportItem_%1").arg(index));
        connect(item, &QAction::triggered, this, [this, index] { mnuExportItem_Click(index); });
    }
    m_cmdExport = new QPushButton(QStringLiteral("Export ..."), this);
    m_cmdExport->setObjectName(QStringLiteral("cmdExport"));
    m_cmdExport->setMenu(m_exportMenu);
    m_graph->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_graph, &QWidget::customContextMenuRequested, this, &frmGraph::Graph1_ContextMenu);
}

// ---- window events ------------------------------------------------------------------------

void frmGraph::Form_Load()
{
    resize(geometryFor(m_module.innerWidth, m_module.innerHeight).size());
    ApplyColours(*this, m_module.colours);
    m_optZoom->setEnabled(true);
    m_upDownPeak->setRange(1, std::max(1, m_module.configuration.nds));
    m_upDownPeak->setValue(m_module.currentPeak);
    m_txtPeak->setText(QString::number(m_upDownPeak->value()));
    const bool setupOpen = m_module.windowOpen.peakSetup;
    showPeakSelector(setupOpen);
    m_optSelect->setEnabled(setupOpen);
    PlaceThings();
    m_module.windowOpen.plot = true;
    m_loaded = true;
    m_graph->hide();  // until Plot has drawn it
}

void frmGraph::showPeakSelector(bool shown)
{
    for (QWidget* selector :
         std::initializer_list<QWidget*>{m_lblSelect, m_txtPeak, m_upDownPeak}) {
        selector->setVisible(shown);
    }
}

void frmGraph::PlaceThings()
{
    for (QWidget* text : std::initializer_list<QWidget*>{m_label1, m_txtX, m_label2, m_txtY,
                                                         m_lblSelect, m_txtPeak}) {
        text->setFont(RegularFont());
    }
    const double ux = width() / kUnits;
    const double uy = height() / kUnits;
    const auto px = [](double value) { return static_cast<int>(value); };
    m_graph->setGeometry(px(kGraphLeft * ux), 0, px(kGraphWidth * ux), px(kGraphHeight * uy));
    // One band beneath: the read-outs, the peak selector, then the three options.
    const double middle = (kBandTop + kUpperRow * kBandHeight) * uy;
    const auto place = [&](QWidget* w, double left, double wide) {
        const int high = w->sizeHint().height();
        w->setGeometry(px(left * ux), px(middle) - high / 2, px(wide * ux), high);
    };
    place(m_label1, 2.5, 3.0);
    place(m_txtX, 5.5, 14.0);
    place(m_label2, 21.0, 3.0);
    place(m_txtY, 24.0, 14.0);
    // The peak selector in its natural widths, so that neither caption nor number is cut.
    int left = px(kSelectorLeft * ux);
    for (QWidget* w : std::initializer_list<QWidget*>{m_lblSelect, m_txtPeak, m_upDownPeak}) {
        const QSize size = w->sizeHint().expandedTo(w->minimumSize()).boundedTo(w->maximumSize());
        w->setGeometry(left, px(middle) - size.height() / 2, size.width(), size.height());
        left += size.width() + kSelectorGap;
    }
    m_pic1->setGeometry(px(70.0 * ux), px(kBandTop * uy), px(27.5 * ux), px(kBandHeight * uy));
    const QSize button = m_cmdExport->sizeHint();
    m_cmdExport->setGeometry(px(kGraphLeft * ux),
                             px((kBandTop + kLowerRow * kBandHeight) * uy) - button.height() / 2,
                             button.width(), button.height());
}

void frmGraph::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_loaded) {
        PlaceThings();
    }
}

void frmGraph::closeEvent(QCloseEvent* event)
{
    m_module.windowOpen.plot = false;
    m_loaded = false;
    event->accept();
}

// ---- the chart ----------------------------------------------------------------------------

void frmGraph::showPicture(const PlotPicture& picture)
{
    m_module.plotShown = false;
    m_picture = picture;
    drawPicture(*m_graph, picture, kWindowLook);
    // Shown first: a hidden chart has no paint buffer to draw into.
    m_graph->show();
    m_graph->replot();
    m_module.plotShown = true;
}

double frmGraph::energyAt(int x) const
{
    return m_graph->xAxis->pixelToCoord(x);
}

void frmGraph::Graph1_MouseDown(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_optZoom->isChecked()) {
        return;
    }
    m_dragging = true;
    m_pressPoint = event->position().toPoint();
    m_pressEnergy = energyAt(m_pressPoint.x());
    m_optReset->setEnabled(true);
}

void frmGraph::Graph1_MouseMove(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_txtX->setText(QString::fromStdString(formatNumber(energyAt(at.x()), "0.000")));
    m_txtY->setText(
        QString::fromStdString(formatNumber(m_graph->yAxis->pixelToCoord(at.y()), "0.00E+00")));
    if (m_dragging) {
        m_rubberBand->setGeometry(QRect(m_pressPoint, at).normalized());
        m_rubberBand->show();
    }
}

void frmGraph::Graph1_MouseUp(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_module.windowOpen.peakSetup && m_optSelect->isChecked()) {
        const QPoint at = event->position().toPoint();
        emit peakMoved(energyAt(at.x()), m_graph->yAxis->pixelToCoord(at.y()));
        return;
    }
    if (!m_dragging) {
        return;
    }
    m_dragging = false;
    m_rubberBand->hide();
    const double releaseEnergy = energyAt(event->position().toPoint().x());
    if (releaseEnergy == m_pressEnergy) {
        return;
    }
    const Spectrum& s = m_module.spectrum;
    const ZoomOutcome outcome = ReSizePlot(m_module, m_menu, kineticEnergy(s, m_pressEnergy),
                                           kineticEnergy(s, releaseEnergy));
    if (outcome == ZoomOutcome::Cut) {
        emit dataChanged();
    } else if (outcome == ZoomOutcome::NoPointsInside) {
        emit statusMessage(text(kEmptyZoomStatus));
    }
}

// ---- export ------------------------------------------------------------------------------

void frmGraph::Graph1_ContextMenu(const QPoint& at)
{
    m_exportMenu->popup(m_graph->mapToGlobal(at));
}

void frmGraph::mnuExportItem_Click(int index)
{
    const FigureWidth width = index == 0 ? FigureWidth::SingleColumn : FigureWidth::DoubleColumn;
    exportFigure(m_module, m_dialogs, width,
                 [this](const FigureFile& file) { return writeFigure(m_picture, file); });
}

// ---- options ------------------------------------------------------------------------------

void frmGraph::optZoom_Click()
{
    m_optReset->setEnabled(true);
}

void frmGraph::optReset_Click()
{
    const ResetOutcome outcome = resetZoom(m_module);
    if (outcome == ResetOutcome::ModelStale) {
        emit modelNeeded();
    }
    if (outcome != ResetOutcome::Nothing) {
        emit dataChanged();
    }
    m_optZoom->setChecked(true);
}

// The spin buttons step on from a whole number typed; any text goes on, so that the setup
// window can show what was typed and refuse it there.
void frmGraph::txtPeak_Change()
{
    bool whole = false;
    const int peak = m_txtPeak->text().toInt(&whole);
    if (whole) {
        m_upDownPeak->setValue(peak);
    }
    emit peakChosen(m_txtPeak->text());
}

void frmGraph::UpDownPeak_Change(int peak)
{
    m_txtPeak->setText(QString::number(peak));
    emit peakChosen(m_txtPeak->text());
}

void frmGraph::setSelectEnabled(bool enabled)
{
    m_optSelect->setEnabled(enabled);
    showPeakSelector(enabled);
    if (!enabled && m_optSelect->isChecked()) {
        m_optZoom->setChecked(true);
    }
}

void frmGraph::showPeakNumber(int peak)
{
    m_upDownPeak->setValue(peak);
    m_txtPeak->setText(QString::number(peak));
}

void frmGraph::setPeakLimit(int peaks)
{
    m_upDownPeak->setRange(1, peaks);
}

void frmGraph::setModeOptionsEnabled(bool enabled)
{
    m_optZoom->setEnabled(enabled);
    m_optReset->setEnabled(enabled);
    m_optSelect->setEnabled(enabled && m_module.windowOpen.peakSetup);
}

}  // namespace varnix::app
