// Draws the example page of the documentation: the synthetic spectrum fitted from its start
// values, with the fitted components and the residuals × 5, as binding energies (descending,
// so the axis runs right to left), then rendered landscape with Ghostscript.
//
//   plot_example_page <page.ps> <page.png>
#include "kelmar.h"
#include "problem.h"
#include "synthetic.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace varnix::engine;

constexpr int32_t kPoints = 601;
constexpr float kResidualScale = 5.0f;

// Element i of a column of n values, read from the end: the energies descend.
float reversed(const std::vector<double>& v, std::size_t column, std::size_t n, std::size_t i)
{
    return static_cast<float>(v[column * n + (n - 1 - i)]);
}

bool drawPage(const std::string& file)
{
    const SyntheticSpectrum spectrum = makeSyntheticSpectrum(kPoints);
    const Problem problem = syntheticProblem(kPoints);
    EngineState state = problem.state0(spectrum.startParameters);
    const int32_t iterations = fitByStoppingRules(problem, state);
    problem.run(kModeCalculate, state);
    std::printf("fit: %d iterations, chi-square %.1f\n", iterations, state.chiSquare);

    const auto n = static_cast<std::size_t>(kPoints);
    const auto columns = static_cast<std::size_t>(problem.ncomp());
    std::vector<float> x(n), y(n), yc(n), c(n * columns), r(n);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = reversed(problem.energies, 0, n, i);
        y[i] = reversed(problem.counts, 0, n, i);
        yc[i] = reversed(state.model, 0, n, i);
        r[i] = (y[i] - yc[i]) * kResidualScale;
        for (std::size_t j = 0; j < columns; ++j) {
            c[j * n + i] = reversed(state.components, j, n, i);
        }
    }
    const int32_t np = kPoints;
    const auto nc = static_cast<int32_t>(columns);
    const std::string xTitle = "Binding Energy (ev)";
    const std::string yTitle = "Intensity (counts)";
    KELMAR(&np, &nc, x.data(), y.data(), yc.data(), c.data(), r.data(), &np, file.data(),
           static_cast<int32_t>(file.size()), xTitle.data(), 19, yTitle.data(), 18);
    return true;
}

// The sheet is portrait with the page turned onto it; the device here is landscape and the
// Install procedure turns the page back, so the image reads as the page does.
int render(const std::string& ps, const std::string& png)
{
    std::string command = "\"";
    command.append(GHOSTSCRIPT).append("\" -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r100");
    command.append(" -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -dDEVICEWIDTHPOINTS=842");
    command.append(" -dDEVICEHEIGHTPOINTS=595 -dFIXEDMEDIA \"-sOutputFile=").append(png);
    command.append("\" -c \"<< /Install { 0 595 translate -90 rotate } >> setpagedevice\"");
    command.append(" -f \"").append(ps).append("\"");
    return std::system(command.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <page.ps> <page.png>\n", argv[0]);
        return 2;
    }
    drawPage(argv[1]);
    return render(argv[1], argv[2]) == 0 ? 0 : 1;
}
