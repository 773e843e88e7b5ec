// The main of the benchmarks that drive links and remote sides: they need a
// QCoreApplication's event loop. The remote side's per-request log lines are
// silenced, so that they do not weigh on what is measured.
#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("jex.remote.info=false"));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
