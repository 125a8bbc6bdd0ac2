#include "display/frm_graph.h"

#include "apply_colours.h"
#include "core/number_format.h"
#include "core/zoom.h"
#include "fonts.h"
#include "up_down.h"

#include <qcustomplot.h>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPen>
#include <QRadioButton>
#include <QRubberBand>
#include <QVBoxLayout>

#include <algorithm>

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
constexpr double kSelectorLeft = 40.0;
constexpr int kSelectorGap = 4;  // px between the selector's caption, box and buttons
constexpr int kPeakDigits = 3;

constexpr double kTitleScale = 1.25;  // the graph title in the large font's size

QString text(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QVector<double> toQVector(const std::vector<double>& values)
{
    return QVector<double>(values.begin(), values.end());
}

}  // namespace

frmGraph::frmGraph(Module1& module, MenuState& menu, QWidget* parent)
    : QWidget(parent), m_module(module), m_menu(menu)
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

QPen frmGraph::penFor(int32_t colourCode, int32_t styleCode)
{
    const Rgb colour = colourOfCode(colourCode);
    const LineStyle style = styleOfCode(styleCode);
    QPen pen(QColor(colour.red, colour.green, colour.blue));
    pen.setWidthF(style.width);
    pen.setStyle(style.dashed ? Qt::DashLine : Qt::SolidLine);
    return pen;
}

// ---- controls -----------------------------------------------------------------------------

void frmGraph::createControls()
{
    m_graph = new QCustomPlot(this);
    m_graph->setObjectName(QStringLiteral("Graph1"));
    m_graph->setMouseTracking(true);
    QFont titleFont = font();
    titleFont.setPointSizeF(kTitleScale * titleFont.pointSizeF());
    titleFont.setBold(true);
    m_title = new QCPTextElement(m_graph, text(kGraphTitle), titleFont);
    m_graph->plotLayout()->insertRow(0);
    m_graph->plotLayout()->addElement(0, 0, m_title);
    m_graph->xAxis->setLabel(text(kKineticAxisTitle));
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
    const double middle = (kBandTop + kBandHeight / 2.0) * uy;
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
    m_graph->clearGraphs();
    for (const PlotSet& set : picture.sets) {
        QCPGraph* graph = m_graph->addGraph();
        graph->setPen(penFor(set.colour, set.style));
        // The measured spectrum is the first set: a noisy line of many points, which smoothing
        // would slow down more than it would improve.
        graph->setAntialiased(graph != m_graph->graph(0));
        // Sorting is QCustomPlot's way to order the keys; energies that rise already need none.
        graph->setData(toQVector(set.x), toQVector(set.y),
                       std::is_sorted(set.x.begin(), set.x.end()));
    }
    QCPAxis* energy = m_graph->xAxis;
    energy->setRange(picture.xLow, picture.xHigh);
    energy->setRangeReversed(picture.binding);
    energy->ticker()->setTickCount(picture.xDivisions);
    energy->setLabel(QString::fromStdString(picture.xTitle));
    m_title->setText(QString::fromStdString(picture.title));
    // The intensity axis follows what is drawn, with a little room above and below.
    constexpr double kIntensityMargin = 1.1;
    m_graph->yAxis->rescale();
    m_graph->yAxis->scaleRange(kIntensityMargin);
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
