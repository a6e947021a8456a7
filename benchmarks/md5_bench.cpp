// Md5Update's throughput with each compression function this processor can
// run, against OpenSSL's MD5 through EVP_DigestUpdate, for pieces of 64 bytes
// to 1 MiB, in one run.
//
// The machine's speed drifts (clock changes, other work on a sibling core),
// so the subjects are measured in alternation rather than one after another:
// each iteration feeds 1 MiB in pieces of the given size to every subject in
// turn, starting with a different one each time, and times each batch by the
// thread's CPU clock. Every repetition thus yields the ratios of throughputs
// taken under the same conditions. The table after Google Benchmark's report
// gives, for every piece size, the median over the repetitions.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "md5.h"
#include "md5_transform.h"

#include "../tests/common/transforms.h"

namespace {

const int64_t kPieces[] = {64, 1 << 10, 64 << 10, 1 << 20};
const size_t kBatchBytes = 1 << 20;

// A null compression function stands for OpenSSL.
struct Subject {
    std::string name;
    Md5BlocksFunction *compress;
};

std::vector<Subject> Subjects() {
    std::vector<Subject> subjects;
    for (const Transform &t : AvailableTransforms())
        subjects.push_back({t.name, t.compress});
    subjects.push_back({"OpenSSL", NULL});
    return subjects;
}

double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

// One message per subject that grows batch by batch, as a file being read.
struct Stream {
    Md5Context ours;
    EVP_MD_CTX *theirs;
    double seconds;
};

// Feeds one batch to the subject's stream; returns the seconds it took.
double FeedBatch(const Subject &subject, Stream &stream, const std::vector<uint8_t> &piece) {
    const size_t count = kBatchBytes / piece.size();
    if (subject.compress)
        Md5UseBlocksFunction(subject.compress);
    const double start = ThreadSeconds();
    for (size_t i = 0; i < count; i++) {
        if (subject.compress)
            Md5Update(&stream.ours, piece.data(), (uint32_t)piece.size());
        else
            EVP_DigestUpdate(stream.theirs, piece.data(), piece.size());
    }
    benchmark::ClobberMemory();
    return ThreadSeconds() - start;
}

void SideBySide(benchmark::State &state) {
    std::mt19937 random(7);
    std::vector<uint8_t> piece((size_t)state.range(0));
    for (auto &b : piece)
        b = (uint8_t)random();
    const std::vector<Subject> subjects = Subjects();
    std::vector<Stream> streams(subjects.size());
    for (Stream &stream : streams) {
        Md5Init(&stream.ours);
        stream.theirs = EVP_MD_CTX_new();
        EVP_DigestInit_ex(stream.theirs, EVP_md5(), NULL);
        stream.seconds = 0;
    }
    size_t round = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < subjects.size(); i++) {
            const size_t s = (round + i) % subjects.size();
            streams[s].seconds += FeedBatch(subjects[s], streams[s], piece);
        }
        round++;
    }
    Md5UseBlocksFunction(NULL);
    const double theirs = streams.back().seconds;
    for (size_t s = 0; s < subjects.size(); s++) {
        state.counters[subjects[s].name + " MB/s"] = kBatchBytes * round / streams[s].seconds / 1e6;
        if (s + 1 < subjects.size())
            state.counters[subjects[s].name + " / OpenSSL"] = theirs / streams[s].seconds;
        EVP_MD_CTX_free(streams[s].theirs);
    }
}

// Gathers every repetition's counters, by piece size.
struct Gatherer : benchmark::ConsoleReporter {
    // Colours only on a terminal, so that a saved report reads plainly.
    Gatherer() : ConsoleReporter(isatty(1) ? OO_Color : OO_None) {}

    std::map<int64_t, std::map<std::string, std::vector<double>>> values;

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            for (const auto &counter : run.counters)
                values[std::stoll(run.run_name.args)][counter.first].push_back(counter.second);
        }
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty()      ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::string PieceText(int64_t piece) {
    if (piece >= (1 << 20))
        return std::to_string(piece >> 20) + " MiB";
    if (piece >= (1 << 10))
        return std::to_string(piece >> 10) + " KiB";
    return std::to_string(piece) + " B";
}

void PrintTable(Gatherer &gatherer) {
    const std::vector<Subject> subjects = Subjects();
    std::vector<std::string> columns;
    for (const Subject &s : subjects)
        columns.push_back(s.name + " MB/s");
    for (size_t s = 0; s + 1 < subjects.size(); s++)
        columns.push_back(subjects[s].name + " / OpenSSL");

    printf("\nMedian over the repetitions (MB = 10^6 bytes)\n%-8s", "piece");
    for (const std::string &column : columns)
        printf(" %18s", column.c_str());
    printf("\n");
    for (int64_t piece : kPieces) {
        printf("%-8s", PieceText(piece).c_str());
        for (const std::string &column : columns)
            printf(" %18.3f", Median(gatherer.values[piece][column]));
        printf("\n");
    }
}

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::internal::Benchmark *side = benchmark::RegisterBenchmark("SideBySide", SideBySide);
    for (int64_t piece : kPieces)
        side->Arg(piece);
    side->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

    Gatherer gatherer;
    benchmark::RunSpecifiedBenchmarks(&gatherer);
    PrintTable(gatherer);
    if (Subjects().size() == 2)
        printf("This processor lacks AVX-512VL: only the portable transform is measured.\n");
    printf("The context compresses with: %s\n",
           Md5BestBlocksFunction() == Md5BlocksPortable ? "portable" : "avx512");
    benchmark::Shutdown();
    return 0;
}
