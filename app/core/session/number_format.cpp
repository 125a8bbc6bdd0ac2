#include "core/session/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace varnix::app {

namespace {

// |value| = d0.d1d2… × 10^exponent, digits without leading zeros (just "0" for zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool isZero() const { return digits.find_first_not_of('0') == std::string::npos; }
};

// The shortest digits that read back as the same double.
Decimal shortestDecimal(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    Decimal decimal;
    decimal.negative = std::signbit(value);
    for (const char c : text.substr(0, e)) {
        if (c != '.') {
            decimal.digits.push_back(c);
        }
    }
    const std::string_view exponent = text.substr(e + 1);
    const std::size_t skip = exponent.front() == '+' ? 1 : 0;
    std::from_chars(exponent.data() + skip, exponent.data() + exponent.size(), decimal.exponent);
    return decimal;
}

// Keeps `keep` significant digits, rounding half away from zero; keep may be 0 or negative
// when the rounding position lies left of the first digit.
void roundTo(Decimal& decimal, int keep)
{
    if (keep >= static_cast<int>(decimal.digits.size())) {
        return;
    }
    if (keep < 0) {
        decimal.digits.assign(1, '0');
        return;
    }
    const auto cut = static_cast<std::size_t>(keep);
    const bool up = decimal.digits[cut] >= '5';
    decimal.digits.resize(cut);
    if (!up) {
        if (decimal.digits.empty()) {
            decimal.digits.assign(1, '0');
        }
        return;
    }
    std::size_t i = cut;
    while (i > 0 && decimal.digits[i - 1] == '9') {
        decimal.digits[--i] = '0';
    }
    if (i == 0) {
        // All nines, or nothing kept: the carry is a new leading 1 one place further left.
        decimal.digits.assign(1, '1');
        ++decimal.exponent;
    } else {
        ++decimal.digits[i - 1];
    }
}

void stripTrailingZeros(std::string& digits)
{
    const std::size_t last = digits.find_last_not_of('0');
    digits.resize(last == std::string::npos ? 1 : last + 1);
}

std::string exponentText(int exponent, char letter, bool alwaysSign, std::size_t minDigits)
{
    std::string text(1, letter);
    if (exponent < 0) {
        text.push_back('-');
    } else if (alwaysSign) {
        text.push_back('+');
    }
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < minDigits) {
        text.append(minDigits - digits.size(), '0');
    }
    return text.append(digits);
}

// Integer and fraction digits of a rounded decimal, the fraction `decimals` long.
std::string fixedText(const Decimal& d, int decimals, std::size_t minIntegerDigits)
{
    std::string integer;
    std::string fraction;
    const auto count = static_cast<int>(d.digits.size());
    for (int position = std::max(d.exponent, 0); position >= -decimals; --position) {
        const int index = d.exponent - position;
        const bool inDigits = index >= 0 && index < count;
        const char digit = inDigits ? d.digits[static_cast<std::size_t>(index)] : '0';
        (position >= 0 ? integer : fraction).push_back(digit);
    }
    const std::size_t first = integer.find_first_not_of('0');
    integer.erase(0, first == std::string::npos ? integer.size() : first);
    if (integer.size() < minIntegerDigits) {
        integer.insert(0, minIntegerDigits - integer.size(), '0');
    }
    std::string text = d.negative && !d.isZero() ? "-" : "";
    text.append(integer);
    if (decimals > 0) {
        text.append(".").append(fraction);
    }
    return text;
}

struct Picture {
    std::size_t minIntegerDigits = 0;
    int decimals = 0;
    bool scientific = false;
    char letter = 'E';
    bool alwaysSign = true;
    std::size_t exponentDigits = 0;
};

Picture parsePicture(std::string_view format)
{
    const auto bad = [format] {
        return std::invalid_argument(std::string("unsupported number format \"")
                                         .append(format)
                                         .append("\""));
    };
    Picture picture;
    std::size_t i = 0;
    std::size_t placeholders = 0;
    for (; i < format.size() && (format[i] == '0' || format[i] == '#'); ++i, ++placeholders) {
        picture.minIntegerDigits += format[i] == '0' ? 1U : 0U;
    }
    if (placeholders == 0) {
        throw bad();
    }
    if (i < format.size() && format[i] == '.') {
        for (++i; i < format.size() && format[i] == '0'; ++i) {
            ++picture.decimals;
        }
    }
    if (i < format.size() && (format[i] == 'e' || format[i] == 'E')) {
        picture.scientific = true;
        picture.letter = format[i++];
        if (i >= format.size() || (format[i] != '+' && format[i] != '-')) {
            throw bad();
        }
        picture.alwaysSign = format[i++] == '+';
        for (; i < format.size() && format[i] == '0'; ++i) {
            ++picture.exponentDigits;
        }
        if (picture.exponentDigits == 0 || placeholders != 1 || picture.minIntegerDigits != 1) {
            throw bad();
        }
    }
    if (i != format.size()) {
        throw bad();
    }
    return picture;
}

std::string scientificText(Decimal d, const Picture& picture)
{
    roundTo(d, picture.decimals + 1);
    if (d.isZero()) {
        d.exponent = 0;
    }
    d.digits.resize(static_cast<std::size_t>(picture.decimals) + 1, '0');
    std::string text = d.negative && !d.isZero() ? "-" : "";
    text.push_back(d.digits.front());
    if (picture.decimals > 0) {
        text.append(".").append(d.digits, 1);
    }
    return text.append(
        exponentText(d.exponent, picture.letter, picture.alwaysSign, picture.exponentDigits));
}

constexpr int kDefaultSignificantDigits = 15;
constexpr int kDefaultPlainFrom = -4;  // 1E-04 is still written plainly
constexpr int kDefaultPlainBelow = 15;  // 1E+15 is the first in exponent form

std::string defaultText(Decimal d)
{
    roundTo(d, kDefaultSignificantDigits);
    if (d.isZero()) {
        return "0";
    }
    stripTrailingZeros(d.digits);
    if (d.exponent >= kDefaultPlainFrom && d.exponent < kDefaultPlainBelow) {
        const int decimals = std::max(0, static_cast<int>(d.digits.size()) - 1 - d.exponent);
        return fixedText(d, decimals, 1);
    }
    std::string text = d.negative ? "-" : "";
    text.push_back(d.digits.front());
    if (d.digits.size() > 1) {
        text.append(".").append(d.digits, 1);
    }
    return text.append(exponentText(d.exponent, 'E', true, 2));
}

}  // namespace

std::string formatNumber(double value, std::string_view format)
{
    const Picture picture = format.empty() ? Picture{} : parsePicture(format);
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Inf" : "Inf";
    }
    Decimal decimal = shortestDecimal(value);
    if (format.empty()) {
        return defaultText(std::move(decimal));
    }
    if (picture.scientific) {
        return scientificText(std::move(decimal), picture);
    }
    roundTo(decimal, decimal.exponent + 1 + picture.decimals);
    return fixedText(decimal, picture.decimals, picture.minIntegerDigits);
}

std::optional<double> parseNumber(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    // from_chars takes a minus but not a plus; a second sign after a plus is still refused.
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-') {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace varnix::app
