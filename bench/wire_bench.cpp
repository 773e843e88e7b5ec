// The wire texts: splitting a settings reply, reading its fields, building
// and reading the update body and the request text.
#include <benchmark/benchmark.h>

#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "sample_texts.h"

namespace {

namespace wire = kdrsm::wire;
using kdrsm::bench::sampleSettingsReply;
using kdrsm::bench::sampleUpdateBody;

// A reply with the game's 40 weapons, and one with many more.
void BM_SplitSettingsReply(benchmark::State& state) {
    const QString reply = sampleSettingsReply(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(wire::splitSettingsReply(reply));
    state.SetBytesProcessed(state.iterations() * reply.size() * 2);
}
BENCHMARK(BM_SplitSettingsReply)->Arg(40)->Arg(1000);

// Every number of section 0 through its reply conversion.
void BM_NumbersFromReply(benchmark::State& state) {
    const wire::SettingsReply reply = wire::splitSettingsReply(sampleSettingsReply(40));
    QList<const wire::Setting*> numeric;
    for (const wire::Setting& field : wire::kSettings)
        if (field.reply != wire::ReplyForm::Decoded && field.reply != wire::ReplyForm::Text &&
            field.reply != wire::ReplyForm::GamePort)
            numeric << &field;
    for (auto _ : state)
        for (const wire::Setting* field : numeric)
            benchmark::DoNotOptimize(
                wire::numberFromReply(field->reply, reply.fields[field->index]));
    state.SetItemsProcessed(state.iterations() * numeric.size());
}
BENCHMARK(BM_NumbersFromReply);

void BM_JoinUpdateBody(benchmark::State& state) {
    const wire::UpdateBody body = sampleUpdateBody(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(wire::joinUpdateBody(body));
}
BENCHMARK(BM_JoinUpdateBody)->Arg(40);

void BM_ParseUpdateBody(benchmark::State& state) {
    const QString text = wire::joinUpdateBody(sampleUpdateBody(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(wire::parseUpdateBody(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_ParseUpdateBody)->Arg(40);

// The settings fetch (no data) and the settings store (an update body).
void BM_RequestText(benchmark::State& state) {
    const bool store = state.range(0) != 0;
    const QString data = store ? wire::joinUpdateBody(sampleUpdateBody(40)) : QString();
    const QString& command = store ? wire::kSetSettings : wire::kGetSettings;
    const QString tag = QStringLiteral("srv-01");
    for (auto _ : state) benchmark::DoNotOptimize(wire::requestText(command, tag, 3, data));
}
BENCHMARK(BM_RequestText)->ArgName("store")->Arg(0)->Arg(1);

void BM_ParseRequestText(benchmark::State& state) {
    const bool store = state.range(0) != 0;
    const QString data = store ? wire::joinUpdateBody(sampleUpdateBody(40)) : QString();
    const QString text = wire::requestText(store ? wire::kSetSettings : wire::kGetSettings,
                                           QStringLiteral("srv-01"), 3, data);
    for (auto _ : state) benchmark::DoNotOptimize(wire::parseRequestText(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(BM_ParseRequestText)->ArgName("store")->Arg(0)->Arg(1);

}  // namespace
