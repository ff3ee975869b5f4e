// SPDX-License-Identifier: GPL-3.0-or-later
// The library at 10,000, 50,000 and 100,000 generated patch files (about three
// parts a file), each size made in a temporary folder, measured and removed
// before the next, so the disk never holds more than one. Beside every figure
// of the library stands what the system itself takes over the same files in
// the same run: `cat` reading all of them and `find` stating all of them.
//
// - first scan into an empty index (goal: at most 2 x cat);
// - scan with nothing changed (goal: at most 2 x the stat walk), and after
//   touching 1 % of the files;
// - search for a frequent and a rare word over the parts in memory, and one
//   key typed in the panel to the list painted (goal: under 10 ms);
// - the heap the library holds for its parts (goal: under 250 MB at 100,000);
// - dorvane-cli library find and scan, each a process as a user runs it
//   (goal: under 100 ms beyond the search), beside dorvane-cli --version.
//
// DORVANE_LIBRARY_BENCH_FILES="10000,50000" chooses the sizes.
// bench_library_bench --generate DIR [FILES] writes the same files into a
// folder to play with (100,000 unless told).
#include "windowbenchrig.h"

#include "editor/librarypanel.h"
#include "library/library.h"
#include "library/librarydatabase.h"
#include "library/libraryscanner.h"
#include "library/soundlikeness.h"
#include "patch/initialpatch.h"
#include "patch/midifile.h"
#include "patch/t505temppatch.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QStorageInfo>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <iostream>
#include <malloc.h>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <time.h>

using namespace dorvane;

namespace {

const bool Smoke = qEnvironmentVariableIsSet("DORVANE_BENCH_SMOKE");

using bench::SilentDialogs;

const char* const Words[] = {"BASS", "PAD",   "LEAD", "ACID",  "STRINGS", "KEYS", "ARP",
                             "FX",   "SYNTH", "BELL", "ORGAN", "BRASS",   "VOX",  "PLUCK"};

// Room a file takes on disk at most (a block of 4 KiB, an image 9 KiB) and
// its share of the index, with a margin.
constexpr qint64 BytesPerFileAtMost = 24 * 1024;

// Of every ten files: three 8 part images, six part files, one part R file;
// every fifth of them a MIDI file carrying the same messages. Each part's
// tones are set apart by a few values drawn from the file's number; one file
// in a thousand is instead a copy of one sound ("ECHO PAD") saved with one to
// three values moved a step, which "sounds like this" should list
// first. Returns how many parts the files hold.
int writeCorpus(const QString& folder, int count)
{
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    const t505temppatch initial = image;
    t505temppatch echo = image;
    std::mt19937 echoRandom(42);
    for (int k = 0; k < 120; ++k)
        echo.WriteByte(0, 1 + int(echoRandom() % ToneCount), int(echoRandom() % ToneDataSize),
                       int(echoRandom() % 128));
    int parts = 0;
    for (int i = 0; i < count; ++i) {
        const QString sub = QString("%1/%2/%3").arg(folder).arg(i % 20).arg(i / 20 % 50);
        if (i < 1000)
            QDir().mkpath(sub);
        std::mt19937 random{std::uint32_t(i)};
        Bytes bytes;
        if (i % 1000 == 500) {
            t505temppatch copy = echo;
            for (int k = 0, edits = 1 + i / 1000 % 3; k < edits; ++k) {
                const int area = 1 + int(random() % ToneCount);
                const int offset = int(random() % ToneDataSize);
                const int step = 1;
                const int v = copy.ReadByte(0, area, offset);
                copy.WriteByte(0, area, offset, v + step < 128 ? v + step : v - step);
            }
            copy.SetPatchName(0, "ECHO PAD " + std::to_string(i / 1000));
            bytes = copy.PartBytes(0);
            parts += 1;
        } else {
            image.LoadFromStream(initial);
            auto name = [&](int part) {
                return std::string(Words[(i + part) % std::size(Words)]) + " " +
                       std::to_string(i % 1000 + part);
            };
            for (int p = 0; p < NormalPartCount; ++p) {
                image.SetPatchName(p, name(p));
                image.WriteByte(p, 1, 20, (i + p) % 100);
                for (int k = 0; k < 40; ++k)
                    image.WriteByte(p, 1 + int(random() % ToneCount), int(random() % ToneDataSize),
                                    int(random() % 128));
            }
            image.SetPatchName(RhythmPart, "KIT " + std::to_string(i));
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
        }
        const bool mid = i % 5 == 3;
        QFile f(QString("%1/%2.%3").arg(sub).arg(i).arg(mid ? "mid" : "syx"));
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write " + f.fileName().toStdString());
        const Bytes out = mid ? midiFileBytes(bytes) : bytes;
        f.write(reinterpret_cast<const char*>(out.data()), qint64(out.size()));
    }
    return parts;
}

struct Corpus
{
    QTemporaryDir dir{QDir::tempPath() + "/dorvane-library-bench-XXXXXX"};
    QString folder = dir.filePath("patches");
    QString dataHome = dir.filePath("data");
    int files = 0;
    int parts = 0;

    explicit Corpus(int count) : files(count)
    {
        // A folder made by --generate with as many files is used as it is:
        // making 100,000 files takes longer than every figure taken of them.
        const QString kept = qEnvironmentVariable("DORVANE_LIBRARY_BENCH_CORPUS");
        if (!kept.isEmpty() && filesIn(kept) == count) {
            folder = kept;
            parts = 0; // not known without reading them: left out of the counters
        } else {
            parts = writeCorpus(folder, count);
        }
        // The figures are for a warm cache, as a collection used every day is.
        shell("find '" + folder + "' -type f -print0 | xargs -0 cat > /dev/null");
    }

    // The index as the window and dorvane-cli find it under this data folder.
    QString index() const { return dataHome + "/Quellrin/Dorvane/library.sqlite"; }

    static int filesIn(const QString& path)
    {
        int n = 0;
        for (QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories); it.hasNext();
             it.next())
            ++n;
        return n;
    }

    static void shell(const QString& command)
    {
        QProcess p;
        p.start("/bin/sh", {"-c", command});
        p.waitForFinished(-1);
    }
};

std::unique_ptr<Corpus> corpus;
bool indexMade = false;

// The corpus of that size, made when a size's first benchmark starts (the one
// before it removed first): every benchmark of one size runs before the next.
bool useCorpus(benchmark::State& state)
{
    const int files = int(state.range(0));
    if (corpus && corpus->files == files)
        return true;
    corpus.reset();
    indexMade = false;
    // The disk is shared: a size it has no room for is left out, and said so.
    const qint64 free = QStorageInfo(QDir::tempPath()).bytesAvailable();
    if (free < qint64(files) * BytesPerFileAtMost * 2) {
        state.SkipWithError(QString("%1 MB free in %2: too little for %3 files")
                                .arg(free / 1000000)
                                .arg(QDir::tempPath())
                                .arg(files)
                                .toUtf8()
                                .constData());
        return false;
    }
    corpus = std::make_unique<Corpus>(files);
    return true;
}

void removeIndex(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file + suffix);
}

// The index of the whole corpus, made by the first scan's benchmark or here.
QString scannedIndex()
{
    if (!indexMade) {
        removeIndex(corpus->index());
        LibraryDatabase db(corpus->index());
        db.addFolder(QDir(corpus->folder).canonicalPath());
        LibraryScanner(db).scan();
        indexMade = true;
    }
    return corpus->index();
}

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// The processor time of the processes this one started and waited for: on a
// busy machine their wall time says little, their time on a core more.
double childCpuMs()
{
    rusage use{};
    getrusage(RUSAGE_CHILDREN, &use);
    return (double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
            double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3);
}

// The processor time of this thread: the scan's writer, beside its reader.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void shellBenchmark(benchmark::State& state, const QString& command)
{
    const double before = childCpuMs();
    for (auto _ : state)
        Corpus::shell(command);
    state.counters["files"] = corpus->files;
    state.counters["child_cpu_ms"] = (childCpuMs() - before) / double(state.iterations());
}

void BM_Cat(benchmark::State& state)
{
    if (!useCorpus(state))
        return;
    shellBenchmark(state,
                   "find '" + corpus->folder + "' -type f -print0 | xargs -0 cat > /dev/null");
}

void BM_StatWalk(benchmark::State& state)
{
    if (!useCorpus(state))
        return;
    shellBenchmark(state, "find '" + corpus->folder + "' -type f -printf '%s %T@\\n' > /dev/null");
}

void BM_FirstScan(benchmark::State& state)
{
    if (!useCorpus(state))
        return;
    ScanReport report;
    double writerMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        removeIndex(corpus->index());
        auto db = std::make_unique<LibraryDatabase>(corpus->index());
        db->addFolder(QDir(corpus->folder).canonicalPath());
        state.ResumeTiming();
        const double before = threadCpuMs();
        report = LibraryScanner(*db).scan();
        writerMs += threadCpuMs() - before;
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    indexMade = true;
    state.counters["writer_cpu_ms"] = writerMs / double(state.iterations());
    state.counters["files"] = report.files;
    state.counters["read"] = report.read;
    if (corpus->parts > 0)
        state.counters["parts"] = corpus->parts;
}

void BM_RescanNothingChanged(benchmark::State& state)
{
    if (!useCorpus(state))
        return;
    LibraryDatabase db(scannedIndex());
    ScanReport report;
    for (auto _ : state)
        report = LibraryScanner(db).scan();
    state.counters["files"] = report.files;
    state.counters["read"] = report.read;
}

void BM_RescanAfterTouchingOnePercent(benchmark::State& state)
{
    if (!useCorpus(state))
        return;
    LibraryDatabase db(scannedIndex());
    QStringList all;
    for (QDirIterator it(corpus->folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        all << it.next();
    ScanReport report;
    qint64 when = QDateTime::currentMSecsSinceEpoch();
    for (auto _ : state) {
        state.PauseTiming();
        when += 1000;
        for (qsizetype i = 0; i < all.size(); i += 100) {
            QFile f(all[i]);
            f.open(QIODevice::ReadWrite);
            f.setFileTime(QDateTime::fromMSecsSinceEpoch(when), QFileDevice::FileModificationTime);
        }
        state.ResumeTiming();
        report = LibraryScanner(db).scan();
    }
    state.counters["files"] = report.files;
    state.counters["read"] = report.read;
}

// The heap the library holds for its parts, measured as it is filled; and the
// search over them, alternating two texts so that none narrows the last.
void searchBenchmark(benchmark::State& state, const char* word)
{
    if (!useCorpus(state))
        return;
    const std::size_t before = heapInUse();
    LibrarySearch search;
    search.setEntries(LibraryDatabase(scannedIndex()).entries());
    const double held = double(heapInUse() - before);
    const std::size_t found = search.find({word}).size();
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(search.find({++n % 2 ? word : "zq"}).size());
    state.counters["parts"] = double(search.entries().size());
    state.counters["found"] = double(found);
    state.counters["heap_MB"] = held / 1e6;
    state.counters["heap_per_part_B"] = held / double(search.entries().size());
}

void BM_SearchFrequentWord(benchmark::State& state)
{
    searchBenchmark(state, "bass");
}

void BM_SearchRareWord(benchmark::State& state)
{
    searchBenchmark(state, "organ 777");
}

// One key into the search field, then the list painted: typing "bass 12" and
// taking it back again, one key per iteration.
void BM_SearchAsYouType_KeyToListShown(benchmark::State& state)
{
    if (!useCorpus(state))
        return;
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

// dorvane-cli as a user runs it: a process of its own over the same index.
void cliBenchmark(benchmark::State& state, const QStringList& args)
{
    if (!useCorpus(state))
        return;
    scannedIndex();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", corpus->dataHome);
    p.setProcessEnvironment(env);
    qint64 lines = 0;
    const double before = childCpuMs();
    for (auto _ : state) {
        p.start(QCoreApplication::applicationDirPath() + "/dorvane-cli", args);
        p.waitForFinished(-1);
        lines = p.readAllStandardOutput().count('\n');
    }
    state.counters["lines"] = double(lines);
    state.counters["child_cpu_ms"] = (childCpuMs() - before) / double(state.iterations());
}

void BM_CliVersion(benchmark::State& state)
{
    cliBenchmark(state, {"--version"});
}

void BM_CliFindFrequentWord(benchmark::State& state)
{
    cliBenchmark(state, {"library", "find", "bass"});
}

void BM_CliFindRareWord(benchmark::State& state)
{
    cliBenchmark(state, {"library", "find", "organ 777"});
}

void BM_CliScanNothingChanged(benchmark::State& state)
{
    cliBenchmark(state, {"library", "scan"});
}

// "Sounds like this" over 500,000 parts (goal: under 50 ms): the initial
// image's parts with a few parameters each changed at random.
void BM_SoundsLikeThis(benchmark::State& state)
{
    const int parts = int(state.range(0));
    t505temppatch image;
    image.LoadFromBytes(initialImage());
    std::mt19937 random(505);
    SoundTable table;
    for (int i = 0; i < parts; ++i) {
        t505temppatch edited;
        const int part = i % NormalPartCount;
        Bytes block = image.refreshedPartBytes(part);
        for (int k = 0; k < 6; ++k)
            block[MessageHeaderSize + random() % (block.size() - MessageHeaderSize - 2)] =
                std::uint8_t(random() % 128);
        table.add(i + 1, soundFeatures(block, false));
    }
    const QByteArray asked = soundFeatures(image.refreshedPartBytes(0), false);
    std::size_t found = 0;
    for (auto _ : state)
        found = table.nearest(asked, 50).size();
    state.counters["parts"] = double(table.size());
    state.counters["listed"] = double(found);
}

void registerLikeness()
{
    benchmark::RegisterBenchmark("BM_SoundsLikeThis", BM_SoundsLikeThis)
        ->Arg(Smoke ? 1000 : 500000)
        ->Unit(benchmark::kMillisecond);
}

void registerAll(int files)
{
    const int slowRuns = Smoke ? 1 : files > 20000 ? 1 : 3;
    auto add = [&](const char* name, void (*fn)(benchmark::State&), int iterations) {
        // The scan reads on a thread of its own: the processor time is the
        // whole process's.
        auto* b = benchmark::RegisterBenchmark(name, fn)
                      ->Arg(files)
                      ->Unit(benchmark::kMillisecond)
                      ->MeasureProcessCPUTime()
                      ->UseRealTime();
        if (iterations > 0)
            b->Iterations(iterations);
    };
    add("BM_Cat", BM_Cat, Smoke ? 1 : 3);
    add("BM_StatWalk", BM_StatWalk, Smoke ? 1 : 3);
    add("BM_FirstScan", BM_FirstScan, slowRuns);
    add("BM_RescanNothingChanged", BM_RescanNothingChanged, Smoke ? 1 : 3);
    add("BM_RescanAfterTouchingOnePercent", BM_RescanAfterTouchingOnePercent, Smoke ? 1 : 3);
    add("BM_SearchFrequentWord", BM_SearchFrequentWord, 0);
    add("BM_SearchRareWord", BM_SearchRareWord, 0);
    add("BM_SearchAsYouType_KeyToListShown", BM_SearchAsYouType_KeyToListShown, 0);
    add("BM_CliVersion", BM_CliVersion, Smoke ? 1 : 5);
    add("BM_CliFindFrequentWord", BM_CliFindFrequentWord, Smoke ? 1 : 5);
    add("BM_CliFindRareWord", BM_CliFindRareWord, Smoke ? 1 : 5);
    add("BM_CliScanNothingChanged", BM_CliScanNothingChanged, Smoke ? 1 : 5);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A folder to play with: bench_library_bench --generate DIR [FILES]
    if (argc >= 3 && QString(argv[1]) == "--generate") {
        const int files = argc >= 4 ? QString(argv[3]).toInt() : 100000;
        if (files <= 0 || (QDir(argv[2]).exists() && !QDir(argv[2]).isEmpty())) {
            std::cerr << "usage: " << argv[0]
                      << " --generate NEW_OR_EMPTY_FOLDER [FILES, 100000 unless given]\n";
            return 2;
        }
        const int parts = writeCorpus(QString::fromLocal8Bit(argv[2]), files);
        std::cout << files << " files, " << parts << " parts in " << argv[2] << "\n";
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    QString sizes = qEnvironmentVariable("DORVANE_LIBRARY_BENCH_FILES", "10000,50000,100000");
    if (Smoke)
        sizes = "100";
    for (const QString& size : sizes.split(',', Qt::SkipEmptyParts))
        registerAll(size.toInt());
    registerLikeness();
    benchmark::RunSpecifiedBenchmarks();
    corpus.reset();
    benchmark::Shutdown();
    return 0;
}
