// Base64 through the real component, created by class name and called
// late-bound by method name, as the panel calls it; a direct encoding of the
// same text shows what the late-bound call adds.
#include <benchmark/benchmark.h>

#include "jex/latebound.h"
#include "memory_component.h"
#include "sample_texts.h"

namespace {

using kdrsm::bench::encoded;
using kdrsm::bench::weaponName;

const QString kMessage = QStringLiteral("Welcome! No camping, no team killing.");

// The component; the benchmark is skipped when it cannot be created.
QObject* memoryComponent(benchmark::State& state) {
    QObject* component = kdrsm::bench::memoryComponent();
    if (!component) state.SkipWithError("jexrcWOB.clsMemory cannot be created");
    return component;
}

void BM_Enc64Direct(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(encoded(kMessage));
}
BENCHMARK(BM_Enc64Direct);

void BM_Enc64LateBound(benchmark::State& state) {
    QObject* memory = memoryComponent(state);
    if (!memory) return;
    for (auto _ : state) benchmark::DoNotOptimize(jex::call(memory, "Enc64", {kMessage}));
}
BENCHMARK(BM_Enc64LateBound);

void BM_Dec64LateBound(benchmark::State& state) {
    QObject* memory = memoryComponent(state);
    if (!memory) return;
    const QString text = encoded(kMessage);
    for (auto _ : state) benchmark::DoNotOptimize(jex::call(memory, "Dec64", {text}));
}
BENCHMARK(BM_Dec64LateBound);

// What one settings reply costs in decoding: 7 free-text fields and the
// names of 40 weapons.
void BM_DecodeReplyTexts(benchmark::State& state) {
    QObject* memory = memoryComponent(state);
    if (!memory) return;
    QStringList texts(7, encoded(kMessage));
    for (int i = 0; i < 40; ++i) texts << encoded(weaponName(i));
    for (auto _ : state)
        for (const QString& text : texts)
            benchmark::DoNotOptimize(jex::call(memory, "Dec64", {text}));
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_DecodeReplyTexts);

}  // namespace
