#include "display/figure_export.h"

#include "display/chart_drawing.h"

#include <qcustomplot.h>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>

namespace varnix::app {

namespace {

constexpr double kInchesPerMetre = 1.0 / 0.0254;
constexpr const char* kCreator = "Varnix";

// Vector output at the layout's resolution, so that one layout pixel is one device unit and
// fonts in points measure the same as on screen. Cosmetic (zero-width) pens would print as
// hairlines that vanish at a printer's resolution; they are drawn one layout pixel wide.
bool paintVectors(QCustomPlot& chart, QPaintDevice& device, const FigureLayout& layout)
{
    QCPPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
    chart.toPainter(&painter, layout.width, layout.height);
    return painter.end();
}

bool writePng(QCustomPlot& chart, const FigureFile& file, const FigureLayout& layout,
              QIODevice& out)
{
    QImage image = chart.toPixmap(layout.width, layout.height, layout.scale).toImage();
    const auto dotsPerMetre =
        static_cast<int>(std::lround(file.size.dotsPerInch * kInchesPerMetre));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image.save(&out, "PNG");
}

bool writePdf(QCustomPlot& chart, const FigureFile& file, const FigureLayout& layout, int dpi,
              QIODevice& out)
{
    QPdfWriter pdf(&out);
    pdf.setCreator(QString::fromLatin1(kCreator));
    pdf.setResolution(dpi);
    const QPageSize page(QSizeF(file.size.widthInches, file.size.heightInches), QPageSize::Inch,
                         QString(), QPageSize::ExactMatch);
    pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF()));
    return paintVectors(chart, pdf, layout);
}

bool writeSvg(QCustomPlot& chart, const FigureLayout& layout, int dpi, QIODevice& out)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(QSize(layout.width, layout.height));
    svg.setViewBox(QRect(0, 0, layout.width, layout.height));
    svg.setResolution(dpi);
    svg.setDescription(QString::fromLatin1(kCreator));
    return paintVectors(chart, svg, layout);
}

}  // namespace

bool writeFigure(const PlotPicture& picture, const FigureFile& file)
{
    QCustomPlot chart;  // never shown: drawn straight into the file
    drawPicture(chart, picture, kFigureLook);
    const int dpi = chart.logicalDpiX();
    const FigureLayout layout = figureLayout(file.size, dpi);
    QSaveFile out(QString::fromStdString(file.fileName));
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    bool written = false;
    switch (file.format) {
        case FigureFormat::Png:
            written = writePng(chart, file, layout, out);
            break;
        case FigureFormat::Pdf:
            written = writePdf(chart, file, layout, dpi, out);
            break;
        case FigureFormat::Svg:
            written = writeSvg(chart, layout, dpi, out);
            break;
    }
    // Without commit the temporary file is removed and the target left alone.
    return written && out.commit();
}

}  // namespace varnix::app
