// Runs the benchmarks inside a QCoreApplication with the Base64 component
// already loaded, as in the host. Loading a component library leaves the heap
// in another shape: the growing piece lists of a split are then copied when
// they are reallocated, and a split reply takes about twice as long, so every
// benchmark runs after the load. The components are looked for in the
// build's component folder unless JEX_COMPONENT_PATH says otherwise.
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include "memory_component.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("JEX_COMPONENT_PATH"))
        qputenv("JEX_COMPONENT_PATH", KDRSM_BENCH_COMPONENT_DIR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QCoreApplication app(argc, argv);
    kdrsm::bench::memoryComponent();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
