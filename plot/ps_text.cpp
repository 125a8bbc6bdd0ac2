#include "ps_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace varnix::plot {

namespace {

std::string formatted(double value, std::chars_format format, int precision)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, result.ptr);
}

// The next code point of UTF-8 text, or 0xFFFD for a malformed sequence (consumed bytewise).
char32_t nextCodePoint(std::string_view& text)
{
    const auto lead = static_cast<unsigned char>(text.front());
    text.remove_prefix(1);
    if (lead < 0x80) {
        return lead;
    }
    const std::size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (more == 0 || text.size() < more) {
        return 0xFFFD;
    }
    char32_t code = lead & (0x3Fu >> more);
    for (std::size_t k = 0; k < more; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    text.remove_prefix(more);
    return code;
}

void appendOctal(std::string& out, unsigned code)
{
    out.push_back('\\');
    out.push_back(static_cast<char>('0' + ((code >> 6) & 7)));
    out.push_back(static_cast<char>('0' + ((code >> 3) & 7)));
    out.push_back(static_cast<char>('0' + (code & 7)));
}

// Printable ASCII only, for DSC comment lines, which must be short single lines.
std::string commentText(std::string_view text)
{
    constexpr std::size_t kLongest = 200;
    std::string out;
    for (const char c : text.substr(0, kLongest)) {
        out.push_back(c >= ' ' && c <= '~' ? c : '?');
    }
    return out;
}

}  // namespace

std::string psNumber(double value)
{
    constexpr double kLargest = 1e5;
    if (!std::isfinite(value)) {
        value = std::isnan(value) ? 0.0 : std::copysign(kLargest, value);
    }
    value = std::clamp(value, -kLargest, kLargest);
    std::string text = formatted(value, std::chars_format::fixed, 2);
    return text == "-0.00" ? std::string("0.00") : text;
}

std::string psString(std::string_view text)
{
    std::string out = "(";
    while (!text.empty()) {
        const char32_t code = nextCodePoint(text);
        if (code == '(' || code == ')' || code == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(code));
        } else if (code >= 0x20 && code < 0x7F) {
            out.push_back(static_cast<char>(code));
        } else if (code >= 0xA0 && code <= 0xFF) {
            appendOctal(out, static_cast<unsigned>(code));
        } else {
            out.push_back('?');
        }
    }
    out.push_back(')');
    return out;
}

std::string axisLabel(double value, double step, LabelStyle style, int decimals)
{
    constexpr double kZeroFraction = 1e-6;  // of a step: rounding noise, not a value
    if (std::fabs(value) < kZeroFraction * std::fabs(step)) {
        value = 0.0;
    }
    if (style == LabelStyle::Float) {
        return formatted(value, std::chars_format::fixed, decimals);
    }
    std::string text = formatted(value, std::chars_format::scientific, decimals);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}

std::string documentHeader(const DocumentInfo& info)
{
    const BoundingBox& b = info.box;
    char box[64];
    std::snprintf(box, sizeof box, "%d %d %d %d", b.left, b.bottom, b.right, b.top);
    std::string out = "%!PS-Adobe-2.0\n";
    out.append("%%Title: ").append(commentText(info.title)).append("\n");
    out.append("%%Creator: Varnix KELMAR\n");
    out.append("%%CreationDate: ").append(commentText(info.creationDate)).append("\n");
    out.append("%%BoundingBox: ").append(box).append("\n");
    out.append("%%DocumentFonts: ").append(info.fontName).append("\n");
    out.append("%%Orientation: Landscape\n");
    out.append("%%Pages: 1\n");
    out.append("%%EndComments\n");
    return out;
}

std::string prologue(std::string_view fontName)
{
    std::string out = "%%BeginProlog\n";
    out.append("/M {moveto} bind def\n/L {lineto} bind def\n/S {stroke} bind def\n");
    out.append("/RGB {setrgbcolor} bind def\n");
    // x y r: a filled circle, the measured-point symbol; x y r: an open circle.
    out.append("/DOT {newpath 0 360 arc fill} bind def\n");
    out.append("/RING {newpath 0 360 arc stroke} bind def\n");
    // x y w h: the path of a rectangle, for clipping and the paper.
    out.append("/BOX {4 2 roll newpath moveto 1 index 0 rlineto 0 exch rlineto neg 0 rlineto"
               " closepath} bind def\n");
    // string: shown centred on, or ending at, the current point.
    out.append("/CSHOW {dup stringwidth pop -2 div 0 rmoveto show} bind def\n");
    out.append("/RSHOW {dup stringwidth pop neg 0 rmoveto show} bind def\n");
    // The font with ISO Latin-1 encoding where the interpreter has it, so that accented
    // titles print; a level 1 interpreter without it uses the font as it is.
    out.append("/Varnix-Font /").append(fontName).append(" findfont\n");
    out.append("/ISOLatin1Encoding where {pop dup length dict begin {1 index /FID ne {def}"
               " {pop pop} ifelse} forall /Encoding ISOLatin1Encoding def currentdict end}"
               " if\ndefinefont pop\n");
    out.append("/FONT {/Varnix-Font findfont exch scalefont setfont} bind def\n");
    out.append("%%EndProlog\n");
    return out;
}

std::string currentDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char buffer[32] = "";
    if (localtime_r(&now, &local) != nullptr) {
        std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    }
    return buffer;
}

}  // namespace varnix::plot
