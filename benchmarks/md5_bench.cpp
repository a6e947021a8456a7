// Md5Update's throughput against OpenSSL's MD5 through EVP_DigestUpdate, for
// pieces of 64 bytes to 1 MiB, with the processor's clock measured alongside
// so that each throughput also reads as cycles per byte.
//
// The machine's speed drifts (clock changes, other work on the other core),
// so the subjects are measured in alternation rather than one after another:
// each iteration feeds 1 MiB in pieces of the given size to Md5Update and to
// OpenSSL and runs a chain of dependent adds, in an order that changes every
// iteration, and times each batch by the thread's CPU clock. Every repetition
// thus yields the ratio of the throughputs and the clock under the same
// conditions. The table after Google Benchmark's report gives, for every
// piece size, the median over the repetitions.
//
// The clock: a register add takes one cycle on x86 processors, and an add
// that needs the previous add's result cannot overlap it, so the chain runs
// at one add per cycle. Cycles are thus counted in the unit of MD5's bound
// (288 one-cycle operations a 64-byte block, 4.5 a byte). On other
// processors the benchmark reports throughputs only.
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

namespace {

const int64_t kPieces[] = {64, 1 << 10, 64 << 10, 1 << 20};
const size_t kBatchBytes = 1 << 20;
const int64_t kChainAdds = 1 << 22; // about a millisecond, as a batch of MD5

#if defined(__x86_64__) || defined(__i386__)
const int kSubjects = 3; // Md5Update, OpenSSL, the chain of adds

// In assembly, so that the compiler cannot fold the adds into one.
void AddChain() {
    uint32_t sum = 0, one = 1;
    for (int64_t i = 0; i < kChainAdds / 64; i++)
        asm volatile(".rept 64\n\tadd %1, %0\n\t.endr" : "+r"(sum) : "r"(one));
    benchmark::DoNotOptimize(sum);
}
#else
const int kSubjects = 2;

void AddChain() {}
#endif

double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

void SideBySide(benchmark::State &state) {
    std::mt19937 random(7);
    std::vector<uint8_t> piece((size_t)state.range(0));
    for (auto &b : piece)
        b = (uint8_t)random();
    const size_t count = kBatchBytes / piece.size();

    // One message each that grows batch by batch, as a file being read.
    Md5Context ours;
    Md5Init(&ours);
    EVP_MD_CTX *theirs = EVP_MD_CTX_new();
    EVP_DigestInit_ex(theirs, EVP_md5(), NULL);

    double seconds[3] = {0, 0, 0};
    int64_t rounds = 0;
    for (auto _ : state) {
        for (int i = 0; i < kSubjects; i++) {
            const int subject = (int)((rounds + i) % kSubjects);
            const double start = ThreadSeconds();
            if (subject == 0)
                for (size_t n = 0; n < count; n++)
                    Md5Update(&ours, piece.data(), (uint32_t)piece.size());
            else if (subject == 1)
                for (size_t n = 0; n < count; n++)
                    EVP_DigestUpdate(theirs, piece.data(), piece.size());
            else
                AddChain();
            benchmark::ClobberMemory();
            seconds[subject] += ThreadSeconds() - start;
        }
        rounds++;
    }
    EVP_MD_CTX_free(theirs);

    const double bytes = (double)kBatchBytes * (double)rounds;
    state.counters["Kestrum MB/s"] = bytes / seconds[0] / 1e6;
    state.counters["OpenSSL MB/s"] = bytes / seconds[1] / 1e6;
    state.counters["Kestrum / OpenSSL"] = seconds[1] / seconds[0];
    if (kSubjects == 3) {
        const double hertz = (double)kChainAdds * (double)rounds / seconds[2];
        state.counters["GHz"] = hertz / 1e9;
        state.counters["Kestrum cycles/B"] = hertz * seconds[0] / bytes;
        state.counters["OpenSSL cycles/B"] = hertz * seconds[1] / bytes;
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
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PrintTable(Gatherer &gatherer) {
    const char *columns[] = {"Kestrum MB/s",     "OpenSSL MB/s",    "Kestrum / OpenSSL",
                             "GHz",              "Kestrum cycles/B", "OpenSSL cycles/B"};
    const int shown = kSubjects == 3 ? 6 : 3;
    printf("\nMedian over the repetitions (MB = 10^6 bytes)\n%-8s", "piece");
    for (int c = 0; c < shown; c++)
        printf(" %17s", columns[c]);
    printf("\n");
    for (auto &[piece, values] : gatherer.values) {
        const std::string text = piece >= (1 << 20)   ? std::to_string(piece >> 20) + " MiB"
                                 : piece >= (1 << 10) ? std::to_string(piece >> 10) + " KiB"
                                                      : std::to_string(piece) + " B";
        printf("%-8s", text.c_str());
        for (int c = 0; c < shown; c++)
            printf(" %17.3f", Median(values[columns[c]]));
        printf("\n");
    }
    if (kSubjects == 3)
        printf("GHz: dependent register adds per nanosecond. The step chain's bound: 4.5 cycles/B.\n");
    else
        printf("No chain of adds on this processor: no clock, no cycles per byte.\n");
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
    benchmark::Shutdown();
    return 0;
}
