// A rendered page, read back as pixels: Ghostscript draws the PostScript file onto the
// portrait sheet it prints on, and the page is looked at the way a reader holds it, landscape,
// with pixel (0, 0) at its top left.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnix::plot::test {

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The outline of the axis system in landscape pixels.
struct FrameBox {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

class PageImage {
public:
    // Renders `psFile` with Ghostscript at `dpi`; false when Ghostscript failed or said
    // anything at all (warnings included), with what it said in `messages`.
    bool render(const std::string& psFile, int dpi, std::string& messages);

    int width() const { return m_sheetHeight; }
    int height() const { return m_sheetWidth; }
    Colour at(int column, int row) const;
    // Whether a pixel within `radius` of (column, row) has colour c (± a few levels).
    bool hasColourNear(double column, double row, Colour c, int radius) const;
    // Whether every pixel that is not white lies inside the box given in points of the
    // portrait sheet (the DSC bounding box).
    bool inkInside(int left, int bottom, int right, int top) const;
    // The axis system: the long dark lines of its frame.
    std::optional<FrameBox> frame() const;

private:
    Colour sheetAt(int column, int row) const;

    int m_dpi = 72;
    int m_sheetWidth = 0;
    int m_sheetHeight = 0;
    std::vector<unsigned char> m_rgb;
};

}  // namespace varnix::plot::test
