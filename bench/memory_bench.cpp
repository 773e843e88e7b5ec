// The memory a split settings reply keeps: a reply with 1,000 weapons, its
// text size and the heap bytes its split pieces hold, as counters.
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "exchange/wire/settings_text.h"
#include "sample_texts.h"

namespace {

namespace wire = kdrsm::wire;

// Heap bytes in use; -1 where the C library cannot tell.
double heapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
#else
    return -1;
#endif
}

void BM_SplitReplyMemory(benchmark::State& state) {
    const QString reply = kdrsm::bench::sampleSettingsReply(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(wire::splitSettingsReply(reply));

    const double before = heapInUse();
    const wire::SettingsReply kept = wire::splitSettingsReply(reply);
    const double after = heapInUse();
    benchmark::DoNotOptimize(kept);
    using benchmark::Counter;
    state.counters["text_bytes"] =
        Counter(static_cast<double>(reply.size()) * 2, Counter::kDefaults, Counter::kIs1024);
    state.counters["split_bytes"] =
        Counter(before < 0 ? -1 : after - before, Counter::kDefaults, Counter::kIs1024);
    state.SetBytesProcessed(state.iterations() * reply.size() * 2);
}
BENCHMARK(BM_SplitReplyMemory)->Arg(1000);

}  // namespace
