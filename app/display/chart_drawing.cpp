#include "display/chart_drawing.h"

#include "core/axis_ticks.h"

#include <qcustomplot.h>

#include <QSharedPointer>

namespace varnix::app {

namespace {

constexpr double kTitleScale = 1.25;  // the graph title in the large font's size
// The legend stands in rows of three names above the plot, where it hides no curve however many
// components there are; three of the longest names fit a single-column figure.
constexpr int kLegendColumns = 3;
constexpr QSize kLegendIcon{20, 8};  // px of line sample beside each name
constexpr int kLegendColumnGap = 6;  // px
constexpr QMargins kLegendMargins{7, 3, 7, 2};
constexpr double kLegendRowStretch = 0.001;  // the row as high as the legend needs, no more
constexpr int kPlotTopMargin = 8;            // px
// Text drawn into a scaled PNG comes out a little taller than its measure at screen size; the
// name's own rectangle clips it, so descenders ("g", "p") need room below.
constexpr QMargins kLegendNameMargins{0, 0, 0, 2};

// QCustomPlot's ticks replaced by those of axisTicks for the axis's range at every redraw, so
// that a zoomed or resized chart is labelled anew.
class ScientificTicker final : public QCPAxisTicker {
public:
    void generate(const QCPRange& range, const QLocale& /*locale*/, QChar /*formatChar*/,
                  int /*precision*/, QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override
    {
        const AxisTicks scale = axisTicks(range.lower, range.upper);
        ticks = QVector<double>(scale.major.begin(), scale.major.end());
        if (subTicks != nullptr) {
            *subTicks = QVector<double>(scale.minor.begin(), scale.minor.end());
        }
        if (tickLabels != nullptr) {
            tickLabels->clear();
            for (double tick : scale.major) {
                tickLabels->push_back(QString::fromStdString(tickLabel(tick, scale)));
            }
        }
    }
};

QVector<double> toQVector(const std::vector<double>& values)
{
    return QVector<double>(values.begin(), values.end());
}

QFont sized(const QFont& font, double points)
{
    QFont result = font;
    if (points > 0.0) {
        result.setPointSizeF(points);
    }
    return result;
}

void showTitle(QCustomPlot& chart, const PlotPicture& picture)
{
    auto* title = chart.findChild<QCPTextElement*>();
    if (title == nullptr) {
        QFont font = chart.font();
        font.setPointSizeF(kTitleScale * font.pointSizeF());
        font.setBold(true);
        title = new QCPTextElement(&chart, QString(), font);
        chart.plotLayout()->insertRow(0);
        chart.plotLayout()->addElement(0, 0, title);
    }
    title->setText(QString::fromStdString(picture.title));
}

void dressAxis(QCPAxis& axis, const std::string& title, const ChartLook& look)
{
    if (axis.ticker().dynamicCast<ScientificTicker>().isNull()) {
        axis.setTicker(QSharedPointer<ScientificTicker>::create());
    }
    axis.setLabel(QString::fromStdString(title));
    axis.setTickLabelFont(sized(axis.parentPlot()->font(), look.tickPoints));
    axis.setLabelFont(sized(axis.parentPlot()->font(), look.titlePoints));
    axis.grid()->setVisible(look.grid);
}

// Taken out of the plot's inset, where QCustomPlot keeps it, into a row of its own above the
// plot; only its minimum height is given to that row.
void placeLegend(QCustomPlot& chart, const ChartLook& look)
{
    QCPLegend& legend = *chart.legend;
    QCPLayoutInset& inset = *chart.axisRect()->insetLayout();
    if (legend.layout() == &inset && inset.take(&legend)) {
        QCPLayoutGrid& layout = *chart.plotLayout();
        const int row = layout.rowCount() - 1;  // the plot's, below the title when there is one
        layout.insertRow(row);
        layout.addElement(row, 0, &legend);
        layout.setRowStretchFactor(row, kLegendRowStretch);
        layout.setRowSpacing(0);
        legend.setMargins(kLegendMargins);
        // Room above the plot for half the top tick label, not for a top axis there is not.
        QMargins plotMargins = chart.axisRect()->minimumMargins();
        plotMargins.setTop(kPlotTopMargin);
        chart.axisRect()->setMinimumMargins(plotMargins);
    }
    legend.setVisible(true);
    legend.setWrap(kLegendColumns);
    // Rearranges the names already there into the rows.
    legend.setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
    legend.setIconSize(kLegendIcon);
    legend.setColumnSpacing(kLegendColumnGap);
    legend.setRowSpacing(0);
    legend.setBorderPen(Qt::NoPen);
    legend.setBrush(Qt::NoBrush);
    legend.setFont(sized(chart.font(), look.legendPoints));
}

void addSets(QCustomPlot& chart, const PlotPicture& picture, const ChartLook& look)
{
    chart.clearGraphs();
    for (const PlotSet& set : picture.sets) {
        QCPGraph* graph = chart.addGraph();
        graph->setPen(penFor(set.colour, set.style));
        graph->setName(QString::fromStdString(set.name));
        // The measured spectrum is the first set: on screen a noisy line of many points, which
        // smoothing would slow down more than it would improve.
        graph->setAntialiased(look.antialiasSpectrum || graph != chart.graph(0));
        // Sorting is QCustomPlot's way to order the keys; energies that rise already need none.
        graph->setData(toQVector(set.x), toQVector(set.y),
                       std::is_sorted(set.x.begin(), set.x.end()));
        // A set without points (a component the records do not hold) names nothing.
        if (set.x.empty()) {
            graph->removeFromLegend();
        } else if (QCPAbstractLegendItem* name = chart.legend->itemWithPlottable(graph)) {
            name->setMargins(kLegendNameMargins);
        }
    }
}

}  // namespace

QPen penFor(int32_t colourCode, int32_t styleCode)
{
    const Rgb colour = colourOfCode(colourCode);
    const LineStyle style = styleOfCode(styleCode);
    QPen pen(QColor(colour.red, colour.green, colour.blue));
    pen.setWidthF(style.width);
    pen.setStyle(style.dashed ? Qt::DashLine : Qt::SolidLine);
    return pen;
}

void drawPicture(QCustomPlot& chart, const PlotPicture& picture, const ChartLook& look)
{
    if (look.title) {
        showTitle(chart, picture);
    }
    addSets(chart, picture, look);
    QCPAxis& energy = *chart.xAxis;
    energy.setRange(picture.xLow, picture.xHigh);
    energy.setRangeReversed(picture.binding);
    dressAxis(energy, picture.xTitle, look);
    QCPAxis& intensity = *chart.yAxis;
    intensity.setRange(picture.yLow, picture.yHigh);
    dressAxis(intensity, picture.yTitle, look);
    placeLegend(chart, look);
}

}  // namespace varnix::app
