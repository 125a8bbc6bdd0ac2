// varnix-bench-app: the fit of the example spectrum (examples/synthetic_c1s.dat with its
// configuration, 601 points, every parameter free) through the whole program — Start Fit in the
// main window, offscreen, with the plot redrawn and the results window filled after every
// iteration — against the same fit straight through the engine, with the same data, start
// values, controls and stopping rules. The program may cost at most 1.15 × the engine's time.
//
//   varnix-bench-app <examples folder> [repetitions]
//
// Each figure is the median of the repetitions; the RESULT line is for scripts.
#include "core/session/library_loader.h"
#include "core/session/scripted_dialogs.h"
#include "core/session/startup.h"
#include "frm_main.h"
#include "problem.h"

#include <QAction>
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace varnix;
using Clock = std::chrono::steady_clock;

class NoOtherCopy final : public app::InstanceLock {
public:
    bool acquire() override { return true; }
};

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The engine's own problem for what the program holds after opening and calculating.
engine::Problem engineProblem(const app::Module1& m)
{
    const app::Spectrum& s = m.spectrum;
    engine::Problem p(s.energy, s.counts, m.configuration.nds, m.configuration.nbg);
    p.sigmas = s.sigma;
    p.simpson = engine::SimpsonControls{m.fitControls.simpsonEps, m.fitControls.maxSimpsonIterations};
    p.range = m.fitControls.integrationRange;
    p.lambdaFac = m.fitControls.lambdaFac;
    p.maxLambdaIterations = m.fitControls.maxLambdaIterations;
    return p;
}

std::vector<double> startParameters(const app::Configuration& c)
{
    std::vector<double> parameters = c.p;
    parameters.insert(parameters.end(), c.a.begin(), c.a.begin() + c.nbg);
    return parameters;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: varnix-bench-app <examples folder> [repetitions]\n");
        return 2;
    }
    const fs::path examples = argv[1];
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);

    const fs::path work = fs::temp_directory_path() / "varnix-bench-app";
    fs::create_directories(work);
    for (const char* name : {"fini.dat", "FitFile.dat", "synthetic_c1s.dat", "synthetic_c1s.cfg"}) {
        fs::copy_file(examples / name, work / name, fs::copy_options::overwrite_existing);
    }
    std::ofstream(work / "last_data.dat") << '"' << (work / "synthetic_c1s.dat").string() << "\"\n";
    std::ofstream(work / "last_config.dat") << '"' << (work / "synthetic_c1s.cfg").string() << "\"\n";

    app::Module1 module;
    app::ScriptedDialogs dialogs;
    app::LibraryLoader loader;
    NoOtherCopy lock;
    app::frmMain window(module, dialogs, loader, lock);
    if (!window.Form_Load(work.string())) {
        return 1;
    }
    window.resize(1500, 820);
    window.show();
    const auto trigger = [&window](const char* name) {
        window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };
    trigger("mnuOpenItem_0");
    trigger("mnuCalculate");
    if (!module.calculationDone) {
        std::fprintf(stderr, "varnix-bench-app: the example did not open and calculate\n");
        return 1;
    }
    const app::Configuration start = module.configuration;
    const engine::Problem problem = engineProblem(module);

    std::vector<double> programTimes;
    std::vector<double> engineTimes;
    int32_t iterations = 0;
    for (int r = 0; r < repetitions; ++r) {
        module.configuration = start;
        Clock::time_point t0 = Clock::now();
        trigger("mnuFit");
        programTimes.push_back(seconds(t0));

        engine::EngineState state = problem.state0(startParameters(start), module.fitControls.lambda);
        t0 = Clock::now();
        iterations = engine::fitByStoppingRules(problem, state, module.fitControls.maxit,
                                                module.fitControls.rmin);
        engineTimes.push_back(seconds(t0));
    }
    if (!module.fitResults.standardDeviationsAvailable || !dialogs.records().empty()) {
        std::fprintf(stderr, "varnix-bench-app: the fit through the program did not finish\n");
        return 1;
    }
    const double program = median(programTimes);
    const double engineOnly = median(engineTimes);
    std::printf("fit of the 601-point example, median of %d\n", repetitions);
    std::printf("  through the program (Start Fit, plot and results each iteration): %.4f s\n",
                program);
    std::printf("  through the engine alone (%d iterations, same stopping rules):    %.4f s\n",
                iterations, engineOnly);
    std::printf("  ratio %.3f (target <= 1.15)\n", program / engineOnly);
    std::printf("RESULT program=%.6f engine=%.6f ratio=%.4f iterations=%d\n", program, engineOnly,
                program / engineOnly, iterations);
    return 0;
}
