// SPDX-License-Identifier: GPL-3.0-or-later
// The library on 10,000 generated .syx files (about 30,000 parts), made in a
// temporary folder when the benchmark starts and removed at its end: the
// first scan into an empty index, a scan with nothing changed, reading the
// index back for the panel, and search as you type, from the key to the list
// painted.
#include "windowbenchrig.h"

#include "editor/librarypanel.h"
#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "midi/dialogs.h"
#include "patch/fileio.h"
#include "patch/initialpatch.h"
#include "patch/t505temppatch.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace dorvane;

namespace {

const bool Smoke = qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE");
// Of every ten files: three 8 part images, six part files, one part R file.
const int FileCount = Smoke ? 100 : 10000;

using bench::SilentDialogs;

const char* const Words[] = {"BASS", "PAD",   "LEAD", "ACID",  "STRINGS", "KEYS", "ARP",
                             "FX",   "SYNTH", "BELL", "ORGAN", "BRASS",   "VOX",  "PLUCK"};

struct Corpus
{
    QTemporaryDir dir;
    QString folder = dir.filePath("patches");
    int parts = 0;

    Corpus()
    {
        t505temppatch image;
        image.LoadFromBytes(initialImage());
        for (int i = 0; i < FileCount; ++i) {
            const QString sub = QString("%1/%2").arg(folder).arg(i % 50);
            QDir().mkpath(sub);
            auto name = [&](int part) {
                return std::string(Words[(i + part) % std::size(Words)]) + " " +
                       std::to_string(i % 1000 + part);
            };
            for (int p = 0; p < NormalPartCount; ++p) {
                image.SetPatchName(p, name(p));
                image.WriteByte(p, 1, 20, (i + p) % 100);
            }
            image.SetPatchName(RhythmPart, "KIT " + std::to_string(i));
            Bytes bytes;
            switch (i % 10) {
            case 0:
            case 4:
            case 7:
                bytes = image.AllBytes();
                parts += 8;
                break;
            case 9:
                bytes = image.PartBytes(RhythmPart);
                parts += 1;
                break;
            default:
                bytes = image.PartBytes(i % NormalPartCount);
                parts += 1;
            }
            writeFileAtomically(QString("%1/%2.syx").arg(sub).arg(i).toStdString(), bytes);
        }
    }
    QString index(const char* name) const { return dir.filePath(name); }
};

Corpus& corpus()
{
    static Corpus c;
    return c;
}

void removeIndex(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file + suffix);
}

// An index holding the whole corpus, made once.
QString scannedIndex()
{
    static const QString file = [] {
        const QString f = corpus().index("scanned.sqlite");
        LibraryDatabase db(f);
        db.addFolder(QDir(corpus().folder).canonicalPath());
        LibraryScanner(db).scan();
        return f;
    }();
    return file;
}

} // namespace

static void BM_FirstScan_10000Files(benchmark::State& state)
{
    const QString file = corpus().index("first.sqlite");
    ScanReport report;
    for (auto _ : state) {
        state.PauseTiming();
        removeIndex(file);
        auto db = std::make_unique<LibraryDatabase>(file);
        db->addFolder(QDir(corpus().folder).canonicalPath());
        state.ResumeTiming();
        report = LibraryScanner(*db).scan();
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["files"] = report.files;
    state.counters["read"] = report.read;
    state.counters["parts"] = corpus().parts;
}
BENCHMARK(BM_FirstScan_10000Files)->Unit(benchmark::kMillisecond)->Iterations(Smoke ? 1 : 3);

static void BM_RescanNothingChanged(benchmark::State& state)
{
    LibraryDatabase db(scannedIndex());
    ScanReport report;
    for (auto _ : state)
        report = LibraryScanner(db).scan();
    state.counters["files"] = report.files;
    state.counters["read"] = report.read;
}
BENCHMARK(BM_RescanNothingChanged)->Unit(benchmark::kMillisecond);

// What the panel does after every scan: the index read back into memory.
static void BM_ReadIndexForThePanel(benchmark::State& state)
{
    LibraryDatabase db(scannedIndex());
    std::size_t parts = 0;
    for (auto _ : state)
        parts = db.entries().size();
    state.counters["parts"] = double(parts);
}
BENCHMARK(BM_ReadIndexForThePanel)->Unit(benchmark::kMillisecond);

// One key into the search field, then the list painted: typing "bass 12" and
// taking it back again, one key per iteration.
static void BM_SearchAsYouType_KeyToListShown(benchmark::State& state)
{
    SilentDialogs dialogs;
    Library library(scannedIndex());
    LibraryPanel panel(dialogs);
    panel.setLibrary(&library);
    panel.resize(900, 700);
    panel.show();
    QCoreApplication::processEvents();
    const QString typed = "bass 12";
    int step = 0;
    std::size_t shownRows = 0;
    for (auto _ : state) {
        const int n = int(typed.size());
        const bool typing = step < n;
        const int key = typing ? (typed[step] == ' ' ? int(Qt::Key_Space)
                                                     : int(typed[step].toUpper().unicode()))
                               : int(Qt::Key_Backspace);
        const QString text = typing ? QString(typed[step]) : QString();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(panel.searchField(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(panel.searchField(), &release);
        panel.view()->viewport()->repaint();
        shownRows += std::size_t(panel.view()->model()->rowCount());
        step = (step + 1) % (2 * n);
    }
    state.counters["parts"] = double(library.entries().size());
    state.counters["rows_shown"] =
        benchmark::Counter(double(shownRows), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SearchAsYouType_KeyToListShown)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    corpus();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
