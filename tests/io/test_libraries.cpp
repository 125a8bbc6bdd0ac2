// All thirteen file routines load by name, as the program loads them, and answer through the
// C interface without a crash on a file that does not exist.
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kRoutines = {"NOSTEL", "PARVIK", "TESSOR", "KAPRIL", "WOLDEK",
                                            "FENTAR", "GORSEL", "JUNDRA", "KELSOP", "HALMOR",
                                            "MIRDAX", "LURVEN", "QUENDAL"};

std::string lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The routine's entry from its own library; the handle stays open for the whole test run.
void* entry(const std::string& routine)
{
    const std::string path = std::string(VARNIX_LIBRARY_DIR) + "/lib" + lower(routine) + ".so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr ? dlsym(handle, routine.c_str()) : nullptr;
}

TEST(Libraries, EveryRoutineLoadsByName)
{
    for (const std::string& routine : kRoutines) {
        EXPECT_NE(entry(routine), nullptr) << routine << ": " << dlerror();
    }
}

TEST(Libraries, ReadersReportAMissingFile)
{
    const std::string missing = "/nonexistent/folder/file.dat";
    const auto length = static_cast<int32_t>(missing.size());

    int32_t np = -1, nh = -1, flag = -1, status = 0;
    reinterpret_cast<TessorFunction>(entry("TESSOR"))(missing.c_str(), length, &np, &nh, &flag,
                                                      &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(np, 0);

    char dataExtension[3] = {'d', 'a', 't'};
    char configExtension[3] = {'c', 'f', 'g'};
    int32_t colours[5] = {1, 2, 3, 4, 5};
    const int32_t colourCount = 5;
    status = 0;
    reinterpret_cast<NostelFunction>(entry("NOSTEL"))(dataExtension, 3, configExtension, 3,
                                                      colours, &colourCount, missing.c_str(),
                                                      length, &status);
    EXPECT_GT(status, 0);
    EXPECT_EQ(colours[4], 5);
    EXPECT_EQ(std::string(dataExtension, 3), "dat");

    const int32_t mode = 0, arrayLength = 1;
    int32_t nds = -1, nbg = -1;
    status = 0;
    reinterpret_cast<FentarFunction>(entry("FENTAR"))(&mode, &nds, &nbg, &arrayLength, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr,
                                                      nullptr, nullptr, missing.c_str(), length,
                                                      &status);
    EXPECT_GT(status, 0);
}

TEST(Libraries, WritersReportAFolderThatDoesNotExist)
{
    const std::string target = "/nonexistent/folder/FitFile.dat";
    const int32_t maxit = 51, lambdaIterations = 21, simpsonIterations = 21;
    const double rmin = 1e-4, lambda = 0.01, lambdaFac = 10.0, eps = 1e-4, range = 3.0;
    int32_t status = 0;
    reinterpret_cast<KelsopFunction>(entry("KELSOP"))(
        &maxit, &rmin, &lambda, &lambdaFac, &lambdaIterations, &eps, &simpsonIterations, &range,
        target.c_str(), static_cast<int32_t>(target.size()), &status);
    EXPECT_GT(status, 0);
}

// The bundled examples are what a first start opens: each must read without a complaint.
TEST(Libraries, ExamplesReadCleanly)
{
    const std::string examples = VARNIX_EXAMPLES;
    for (const auto& [file, points] : {std::pair{"/synthetic_c1s.dat", 601},
                                       std::pair{"/lmfitxps_clean_Au_4f.csv", 294}}) {
        const std::string path = examples + file;
        int32_t np = 0, nh = 0, flag = -1, status = -1;
        reinterpret_cast<TessorFunction>(entry("TESSOR"))(
            path.c_str(), static_cast<int32_t>(path.size()), &np, &nh, &flag, &status);
        EXPECT_EQ(status, 0) << file;
        EXPECT_EQ(np, points) << file;
        EXPECT_EQ(flag, 0) << file;
    }

    const std::string config = examples + "/synthetic_c1s.cfg";
    const int32_t mode = 1, arrayLength = 20;
    int32_t nds = 0, nbg = 0, status = -1;
    std::vector<double> p(20), a(3), value(20);
    std::vector<int32_t> state(20), partner(20), kind(20);
    double hmu = -1.0;
    reinterpret_cast<FentarFunction>(entry("FENTAR"))(
        &mode, &nds, &nbg, &arrayLength, p.data(), a.data(), state.data(), partner.data(),
        value.data(), kind.data(), &hmu, config.c_str(), static_cast<int32_t>(config.size()),
        &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(nds, 4);
    EXPECT_EQ(nbg, 2);

    const std::string controls = examples + "/FitFile.dat";
    int32_t maxit = 0, lambdaIterations = 0, simpsonIterations = 0;
    double rmin = 0, lambda = 0, lambdaFac = 0, eps = 0, range = 0;
    reinterpret_cast<JundraFunction>(entry("JUNDRA"))(
        &maxit, &rmin, &lambda, &lambdaFac, &lambdaIterations, &eps, &simpsonIterations, &range,
        controls.c_str(), static_cast<int32_t>(controls.size()), &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(maxit, 51);

    const std::string settings = examples + "/fini.dat";
    char dataExtension[3] = {' ', ' ', ' '};
    char configExtension[3] = {' ', ' ', ' '};
    int32_t colours[5] = {};
    const int32_t colourCount = 5;
    reinterpret_cast<NostelFunction>(entry("NOSTEL"))(
        dataExtension, 3, configExtension, 3, colours, &colourCount, settings.c_str(),
        static_cast<int32_t>(settings.size()), &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::string(dataExtension, 3), "dat");
    EXPECT_EQ(colours[2], 0xFFFFFF);
}

}  // namespace
