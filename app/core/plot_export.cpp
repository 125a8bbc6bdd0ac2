#include "core/plot_export.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace varnix::app {

namespace {

constexpr int32_t kFigureDotsPerInch = 600;
constexpr double kSingleColumnInches = 3.5;
constexpr double kDoubleColumnInches = 7.0;
constexpr double kSingleColumnAspect = 0.75;  // 4:3, the usual shape of a one-column graph
constexpr double kDoubleColumnAspect = 0.5;   // lower, so that a page keeps room for the text

struct FormatEnding {
    std::string_view ending;
    FigureFormat format;
};

constexpr std::array<FormatEnding, 3> kEndings = {{
    {".png", FigureFormat::Png},
    {".pdf", FigureFormat::Pdf},
    {".svg", FigureFormat::Svg},
}};

constexpr std::string_view kFigureFilter =
    "PNG Image, 600 dpi (*.png);;PDF Document (*.pdf);;SVG Drawing (*.svg)";
constexpr std::string_view kDefaultBaseName = "figure";

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace

FigureSize figureSize(FigureWidth width)
{
    if (width == FigureWidth::SingleColumn) {
        return {kSingleColumnInches, kSingleColumnAspect * kSingleColumnInches, kFigureDotsPerInch};
    }
    return {kDoubleColumnInches, kDoubleColumnAspect * kDoubleColumnInches, kFigureDotsPerInch};
}

FigureLayout figureLayout(const FigureSize& size, double layoutDotsPerInch)
{
    return {static_cast<int32_t>(std::lround(size.widthInches * layoutDotsPerInch)),
            static_cast<int32_t>(std::lround(size.heightInches * layoutDotsPerInch)),
            size.dotsPerInch / layoutDotsPerInch};
}

std::optional<FigureFormat> figureFormatOf(std::string_view fileName)
{
    const std::string lower = lowerCase(fileName);
    for (const FormatEnding& entry : kEndings) {
        if (lower.ends_with(entry.ending) && lower.size() > entry.ending.size()) {
            return entry.format;
        }
    }
    return std::nullopt;
}

FileDialogRequest figureRequest(const Module1& module, FigureWidth width)
{
    const PathParts data = SplitPath(module.spectrum.fileName);
    const std::string folder = data.directory.empty() ? module.startDirectory : data.directory;
    const std::string base = data.baseName.empty() ? std::string(kDefaultBaseName) : data.baseName;
    FileDialogRequest request;
    request.title = width == FigureWidth::SingleColumn
                        ? "Export Figure As ... (single column, 3.5 in)"
                        : "Export Figure As ... (double column, 7 in)";
    request.filter = kFigureFilter;
    request.defaultName = (std::filesystem::path(folder) / (base + ".png")).string();
    request.defaultSuffix = "png";
    return request;
}

std::string figureWriteError(std::string_view fileName)
{
    return std::string("Error in writing figure to ")
        .append(fileName)
        .append(" - check that the folder exists and may be written to");
}

bool exportFigure(const Module1& module, Dialogs& dialogs, FigureWidth width,
                  const FigureWriter& write)
{
    const std::optional<std::string> chosen = dialogs.saveFileName(figureRequest(module, width));
    if (!chosen) {
        return false;
    }
    const std::optional<FigureFormat> format = figureFormatOf(*chosen);
    if (!format) {
        dialogs.message(kFigureFormatMessage);
        return false;
    }
    if (!write(FigureFile{*chosen, *format, figureSize(width)})) {
        dialogs.message(figureWriteError(*chosen));
        return false;
    }
    return true;
}

}  // namespace varnix::app
