// SPDX-License-Identifier: GPL-3.0-or-later
// dorvane-cli's `info` and `export-mid` over 1,000 image files, against the same
// job done with mido in the same run. Counters give microseconds per file for
// each, and how many times faster Dorvane is.
#include "app/cliofflinecommands.h"
#include "patch/fileio.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <QProcess>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <sstream>

using namespace dorvane;
namespace fs = std::filesystem;

namespace {

// A smoke run (the test suite's) only proves the job still works end to end.
const int FileCount = qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE") ? 10 : 1000;

struct Corpus
{
    fs::path in, out;
    std::vector<std::string> files;

    Corpus()
    {
        const fs::path root = fs::temp_directory_path() / "dorvane-bench-cli";
        fs::remove_all(root);
        in = root / "in";
        out = root / "out";
        fs::create_directories(in);
        fs::create_directories(out);
        t505temppatch p;
        p.LoadFromBytes(initialImage());
        for (int i = 0; i < FileCount; ++i) {
            p.SetPatchName(i % 7, "PATCH " + std::to_string(i));
            p.WriteByte(i % 7, 1 + i % 4, 81, i % 128);
            const std::string name = (in / ("img" + std::to_string(10000 + i) + ".syx")).string();
            writeFileAtomically(name, p.AllBytes());
            files.push_back(name);
        }
    }
};

const Corpus& corpus()
{
    static Corpus c;
    return c;
}

double dorvaneSeconds(const Corpus& c)
{
    std::ostringstream sink;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& f : c.files) {
        cli::info({f}, sink, sink);
        cli::exportMid(f, (c.out / (fs::path(f).filename().string() + ".mid")).string(),
                       std::nullopt, sink);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double midoSeconds(const Corpus& c)
{
    QProcess p;
    p.start("/usr/bin/python3",
            {QString(DORVANE_BENCH_DIR "/mido_job.py"), QString::fromStdString(c.in.string()),
             QString::fromStdString(c.out.string())});
    p.waitForFinished(600000);
    bool ok = false;
    const double s = p.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? s : -1;
}

} // namespace

static void BM_InfoAndExportMid_1000Files_VsMido(benchmark::State& state)
{
    const Corpus& c = corpus();
    double dorvane = 0, mido = 0;
    for (auto _ : state) {
        dorvane += dorvaneSeconds(c);
        mido += midoSeconds(c);
    }
    const double n = double(state.iterations()) * FileCount;
    state.counters["dorvane_us_per_file"] = dorvane / n * 1e6;
    state.counters["mido_us_per_file"] = mido / n * 1e6;
    state.counters["times_faster"] = mido > 0 ? mido / dorvane : 0;
}
BENCHMARK(BM_InfoAndExportMid_1000Files_VsMido)
    ->Iterations(qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE") ? 1 : 2)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
