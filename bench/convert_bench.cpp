// The conversions every reply goes through: numbers from field texts and
// plain splitting.
#include <benchmark/benchmark.h>

#include "jex/convert.h"
#include "jex/error.h"
#include "sample_texts.h"

namespace {

using kdrsm::bench::sampleFieldTexts;
using kdrsm::bench::sampleSettingsReply;

// toInteger over the field texts that are numbers in range.
void BM_ToInteger(benchmark::State& state) {
    QStringList texts;
    for (const QString& text : sampleFieldTexts())
        if (jex::isNumeric(text) && qAbs(*jex::parseNumber(text)) < 32767) texts << text;
    for (auto _ : state)
        for (const QString& text : texts) benchmark::DoNotOptimize(jex::toInteger(text));
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_ToInteger);

// The failing path: a field that is not a number raises 13.
void BM_ToIntegerRaising(benchmark::State& state) {
    const QString text = QStringLiteral("abc");
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(jex::toInteger(text));
        } catch (const jex::Error& e) {
            benchmark::DoNotOptimize(e.number());
        }
    }
}
BENCHMARK(BM_ToIntegerRaising);

void BM_IsNumeric(benchmark::State& state) {
    const QStringList texts = sampleFieldTexts();
    for (auto _ : state)
        for (const QString& text : texts) benchmark::DoNotOptimize(jex::isNumeric(text));
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_IsNumeric);

void BM_SplitSections(benchmark::State& state) {
    const QString reply = sampleSettingsReply(40);
    for (auto _ : state) benchmark::DoNotOptimize(jex::split(reply, QStringLiteral("[-]")));
    state.SetBytesProcessed(state.iterations() * reply.size() * 2);
}
BENCHMARK(BM_SplitSections);

void BM_SplitFields(benchmark::State& state) {
    const QString section = jex::split(sampleSettingsReply(40), QStringLiteral("[-]")).first();
    for (auto _ : state) benchmark::DoNotOptimize(jex::split(section, QStringLiteral("|")));
    state.SetBytesProcessed(state.iterations() * section.size() * 2);
}
BENCHMARK(BM_SplitFields);

}  // namespace
