#include "core/uncertainty/degeneracy.h"

#include "core/uncertainty/jacobi_eigen.h"
#include "statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <optional>

namespace varnix::app {

namespace {

constexpr double kLeadingTerm = 0.3;  // terms below this fraction of the largest are left out
constexpr std::size_t kMaxTerms = 4;

// R as the correlation window shows it, every cell filled: the caller has checked that every
// diagonal element is positive, so only a cell that overflows is left empty.
std::vector<double> correlations(std::span<const double> c, std::size_t n)
{
    const auto nfree = static_cast<int32_t>(n);
    const engine::StandardDeviations sd = engine::standardDeviations(c, nfree);
    std::vector<double> r;
    for (const std::optional<double>& cell : engine::correlationMatrix(c, sd.values, nfree).cells) {
        r.push_back(cell.value_or(0.0));
    }
    return r;
}

struct NameParts {
    std::string kind;  // "LFWHM", or "a" for a background coefficient
    std::string peak;  // "2"; the coefficient's index for a background coefficient
};

NameParts split(const std::string& name)
{
    const std::size_t digits = name.find_first_of("0123456789");
    return NameParts{name.substr(0, digits),
                     digits == std::string::npos ? "" : name.substr(digits)};
}

std::vector<CombinationTerm> leadingTerms(std::span<const double> v,
                                          const std::vector<std::string>& names)
{
    std::vector<std::size_t> order(v.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t i, std::size_t j) { return std::fabs(v[i]) > std::fabs(v[j]); });
    const double lead = v[order[0]];
    std::vector<CombinationTerm> terms;
    for (const std::size_t i : order) {
        if (terms.size() == kMaxTerms || std::fabs(v[i]) < kLeadingTerm * std::fabs(lead)) {
            break;
        }
        terms.push_back(CombinationTerm{names[i], v[i] / lead});
    }
    return terms;
}

// The free parameter of the same kind in another peak that takes the least part in the
// combination: the natural partner for a link.
std::string linkPartner(const std::string& name, std::span<const double> v,
                        const std::vector<std::string>& names)
{
    const NameParts own = split(name);
    std::string best;
    double least = 0.0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const NameParts other = split(names[i]);
        if (other.kind == own.kind && other.peak != own.peak &&
            (best.empty() || std::fabs(v[i]) < least)) {
            best = names[i];
            least = std::fabs(v[i]);
        }
    }
    return best;
}

// Background coefficients are always varied, so only a peak parameter can be fixed or linked.
std::string remedy(const std::vector<CombinationTerm>& terms, std::span<const double> v,
                   const std::vector<std::string>& names)
{
    for (const CombinationTerm& t : terms) {
        if (split(t.name).kind == "a") {
            continue;
        }
        const std::string partner = linkPartner(t.name, v, names);
        return partner.empty()
                   ? "Fixing " + t.name + " would remove it."
                   : "Fixing " + t.name + ", or linking it to " + partner + ", would remove it.";
    }
    return "A background of fewer coefficients would remove it.";
}

// For a pair pinned as z1 + c·z2 (in units of σ), the combination left open is the orthogonal
// one, c·z1 − z2; for more parameters there is a whole family of them, so only the pinned
// combination is named.
std::string tradeOffText(const std::vector<CombinationTerm>& pinned)
{
    if (pinned.size() == 2) {
        const double c = pinned[1].coefficient;
        const double open[2] = {c, -1.0};
        const std::vector<CombinationTerm> terms =
            leadingTerms(open, {pinned[0].name, pinned[1].name});
        return combinationText(terms) +
               " is not determined by the data (each parameter in units of its \u03C3).";
    }
    std::string names;
    for (std::size_t i = 0; i < pinned.size(); ++i) {
        names += (i == 0 ? "" : i + 1 == pinned.size() ? " and " : ", ") + pinned[i].name;
    }
    return names + " trade against each other: the data determine only " + combinationText(pinned) +
           " (each parameter in units of its \u03C3).";
}

}  // namespace

std::string combinationText(const std::vector<CombinationTerm>& terms)
{
    std::string text;
    for (const CombinationTerm& t : terms) {
        const double magnitude = std::round(std::fabs(t.coefficient) * 10.0) / 10.0;
        if (!text.empty()) {
            text += t.coefficient < 0.0 ? " \u2212 " : " + ";
        }
        if (magnitude != 1.0) {
            char number[32];
            std::snprintf(number, sizeof number, "%.1f\u00B7", magnitude);
            text += number;
        }
        text += t.name;
    }
    return text;
}

std::string reportedDiagnosis(const Diagnosis& diagnosis)
{
    if (diagnosis.badlyDetermined || !(diagnosis.conditionNumber > 0.0)) {
        return diagnosis.text;
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "Every combination of the free parameters is determined by the data (condition "
                  "number of the correlations below %g).",
                  kDegenerateCondition);
    return text;
}

Diagnosis diagnoseDegeneracy(std::span<const double> errorMatrix,
                             const std::vector<std::string>& names)
{
    const std::size_t n = names.size();
    Diagnosis d;
    if (n == 0 || errorMatrix.size() != n * n) {
        return d;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!(errorMatrix[i + n * i] > 0.0)) {
            return d;
        }
    }
    const SymmetricEigen eigen = jacobiEigen(correlations(errorMatrix, n), n);
    const double smallest = eigen.values.front();
    d.conditionNumber =
        smallest > 0.0 ? eigen.values.back() / smallest : std::numeric_limits<double>::infinity();
    d.badlyDetermined = d.conditionNumber > kDegenerateCondition;
    if (d.badlyDetermined) {
        const std::span<const double> v(eigen.vectors.data(), n);
        d.terms = leadingTerms(v, names);
        d.text = tradeOffText(d.terms) + " " + remedy(d.terms, v, names);
    }
    return d;
}

}  // namespace varnix::app
