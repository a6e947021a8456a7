// The latency of the operations an MD5 step chains, on this processor: a
// general-purpose add and rotate, and the vector add, rotate and ternary
// logic the AVX-512 transform uses. Each benchmark runs 64 dependent copies
// of one instruction; the table after the report gives each in units of the
// add, which takes one cycle on every x86 processor of this century.
// x86-64 only. It shows why the context prefers one transform or the other.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <unistd.h>

#include <map>
#include <string>

#include "md5_transform.h"

namespace {

#define TIMES8(x) x x x x x x x x
#define TIMES64(x) TIMES8(TIMES8(x))

void ScalarAdd(benchmark::State &state) {
    uint32_t x = 1, y = 3;
    for (auto _ : state)
        __asm__ volatile(TIMES64("add %1, %0\n\t") : "+r"(x) : "r"(y));
    state.SetItemsProcessed(state.iterations() * 64);
}

void ScalarRotate(benchmark::State &state) {
    uint32_t x = 1;
    for (auto _ : state)
        __asm__ volatile(TIMES64("rol $7, %0\n\t") : "+r"(x));
    state.SetItemsProcessed(state.iterations() * 64);
}

#define VECTOR_CHAIN(name, instruction)                                                            \
    __attribute__((target("avx512f,avx512vl"))) void name(benchmark::State &state) {               \
        for (auto _ : state)                                                                       \
            __asm__ volatile("vpxor %%xmm1, %%xmm1, %%xmm1\n\t" TIMES64(instruction "\n\t")        \
                             :                                                                     \
                             :                                                                     \
                             : "xmm0", "xmm1", "xmm2");                                            \
        state.SetItemsProcessed(state.iterations() * 64);                                          \
    }
VECTOR_CHAIN(VectorAdd, "vpaddd %%xmm1, %%xmm0, %%xmm0")
VECTOR_CHAIN(VectorRotate, "vprold $7, %%xmm0, %%xmm0")
VECTOR_CHAIN(VectorTernaryLogic, "vpternlogd $0xca, %%xmm2, %%xmm1, %%xmm0")

// Colours only on a terminal, so that a saved report reads plainly.
struct PerOperation : benchmark::ConsoleReporter {
    PerOperation() : ConsoleReporter(isatty(1) ? OO_Color : OO_None) {}

    std::map<std::string, double> best; // name -> nanoseconds per operation

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            auto rate = run.counters.find("items_per_second");
            if (run.run_type != Run::RT_Iteration || rate == run.counters.end())
                continue;
            double &kept = best[run.run_name.function_name];
            double ns = 1e9 / rate->second.value;
            kept = kept == 0 ? ns : std::min(kept, ns);
        }
    }
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RegisterBenchmark("add", ScalarAdd);
    benchmark::RegisterBenchmark("rol", ScalarRotate);
    if (Md5CpuHasAvx512()) {
        benchmark::RegisterBenchmark("vpaddd", VectorAdd);
        benchmark::RegisterBenchmark("vprold", VectorRotate);
        benchmark::RegisterBenchmark("vpternlogd", VectorTernaryLogic);
    }
    PerOperation reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    printf("\nLatency of a dependent chain, best of the repetitions\n%-12s %10s %10s\n",
           "operation", "ns", "in adds");
    for (const char *name : {"add", "rol", "vpaddd", "vprold", "vpternlogd"}) {
        if (reporter.best.count(name))
            printf("%-12s %10.3f %10.2f\n", name, reporter.best[name],
                   reporter.best[name] / reporter.best["add"]);
    }
    printf("AVX-512 transform chosen on this processor: %s\n",
           Md5CpuFavoursAvx512() ? "yes" : "no");
    benchmark::Shutdown();
    return 0;
}
