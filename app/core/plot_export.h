// The plot window's picture as a figure for a paper: its sizes, formats and looks, the save
// dialog that names the file, and the messages of a refused or failed export. The window draws
// and writes the file (display/figure_export.h); every rule it follows is here.
//
// A figure is what the window shows — the sets of the Plot menu's choice over the zoomed
// energies, the axis titles, the energy axis running as on screen, the legend — without the
// window's title and grid, which a journal's figure leaves to its caption and does not want. It
// is one column (3.5 in) or two columns (7 in) of a journal page wide, with text of 8 and 9 pt
// at that size: PNG at 600 dpi, PDF and SVG as vectors of the same size.
#pragma once

#include "core/dialogs.h"
#include "core/module1.h"
#include "core/plot_sets.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varnix::app {

enum class FigureFormat { Png, Pdf, Svg };
enum class FigureWidth { SingleColumn, DoubleColumn };

struct FigureSize {
    double widthInches = 0.0;
    double heightInches = 0.0;
    int32_t dotsPerInch = 0;  // of a PNG; vectors keep the size alone

    bool operator==(const FigureSize&) const = default;
};

// Single column 3.5 × 2.625 in (4:3), double column 7 × 3.5 in (2:1), both at 600 dpi.
FigureSize figureSize(FigureWidth width);

// The chart is laid out in the pixels of the screen (layoutDotsPerInch of them to an inch), so
// that fonts given in points keep their size against the lines; a PNG then scales that layout
// to its dots.
struct FigureLayout {
    int32_t width = 0;  // layout pixels
    int32_t height = 0;
    double scale = 1.0;  // PNG dots per layout pixel

    bool operator==(const FigureLayout&) const = default;
};

FigureLayout figureLayout(const FigureSize& size, double layoutDotsPerInch);

// How a chart is dressed: in the window with the title and grid and the window's own font, the
// measured spectrum drawn without smoothing for speed; or as a figure without title and grid,
// with the fonts in print sizes and every line smoothed.
struct ChartLook {
    bool title = true;
    bool grid = true;
    double tickPoints = 0.0;  // 0: the window's font
    double titlePoints = 0.0;
    double legendPoints = 0.0;
    bool antialiasSpectrum = false;

    bool operator==(const ChartLook&) const = default;
};

inline constexpr ChartLook kWindowLook{};
inline constexpr ChartLook kFigureLook{false, false, 8.0, 9.0, 8.0, true};

// The format named by the file's extension, the case ignored; nullopt for any other.
std::optional<FigureFormat> figureFormatOf(std::string_view fileName);

// The save dialog: a filter per format (PNG first, so a name typed without extension becomes a
// PNG), the data's base name with ".png" proposed in the data's folder.
FileDialogRequest figureRequest(const Module1& module, FigureWidth width);

inline constexpr std::string_view kFigureFormatMessage =
    "Figures are written as PNG (.png), PDF (.pdf) or SVG (.svg) - please choose one of these "
    "file types";

// The message of a figure that could not be written to fileName.
std::string figureWriteError(std::string_view fileName);

struct FigureFile {
    std::string fileName;
    FigureFormat format = FigureFormat::Png;
    FigureSize size;

    bool operator==(const FigureFile&) const = default;
};

// Writes the figure; false when the file could not be written, in which case a file of that
// name from before is left as it was.
using FigureWriter = std::function<bool(const FigureFile&)>;

// Export: the save dialog, then the file written through `write`. A cancelled dialog does
// nothing; a name of another type is refused with kFigureFormatMessage and a failed write
// reported with figureWriteError. True when the figure was written.
bool exportFigure(const Module1& module, Dialogs& dialogs, FigureWidth width,
                  const FigureWriter& write);

}  // namespace varnix::app
