#include "text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <memory>

namespace varnix::io {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\0' || c == '\v' || c == '\f';
}

// One optional sign, then a digit or the decimal point: from_chars alone would also take
// "inf" and "nan", and "+-1" once the "+" it does not know is stripped.
bool startsLikeNumber(std::string_view field)
{
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        field.remove_prefix(1);
    }
    const char c = field.empty() ? ' ' : field.front();
    return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '.';
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::optional<std::string> readFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)
        || static_cast<std::size_t>(info.st_size) > kMaxFileBytes) {
        return std::nullopt;
    }
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        text.append(buffer, n);
        if (text.size() > kMaxFileBytes) {
            return std::nullopt;
        }
        if (n < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        return std::nullopt;
    }
    return text;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') {
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]) && line[i] != ',' && line[i] != ';') {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        if (i < line.size() && (line[i] == ',' || line[i] == ';')) {
            if (i == start) {
                fields.emplace_back();  // an empty field between two separators
            }
            ++i;
        }
    }
    return fields;
}

std::optional<double> parseDouble(std::string_view field)
{
    if (!startsLikeNumber(field)) {
        return std::nullopt;
    }
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
    }
    double value = 0.0;
    const auto r = std::from_chars(field.data(), field.data() + field.size(), value);
    if (r.ec != std::errc() || r.ptr != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> parseInt(std::string_view field)
{
    if (!startsLikeNumber(field)) {
        return std::nullopt;
    }
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
    }
    int32_t value = 0;
    const auto r = std::from_chars(field.data(), field.data() + field.size(), value);
    if (r.ec != std::errc() || r.ptr != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

std::string formatDouble(double value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

std::string fromBuffer(const char* buffer, int32_t length)
{
    if (buffer == nullptr || length <= 0) {
        return {};
    }
    std::string_view text(buffer, static_cast<std::size_t>(length));
    // A C string shorter than its buffer ends at its NUL.
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

void toBuffer(std::string_view text, char* buffer, int32_t length)
{
    if (buffer == nullptr || length <= 0) {
        return;
    }
    const auto n = static_cast<std::size_t>(length);
    const std::size_t copied = std::min(n, text.size());
    std::copy_n(text.data(), copied, buffer);
    std::fill(buffer + copied, buffer + n, ' ');
}

}  // namespace varnix::io
