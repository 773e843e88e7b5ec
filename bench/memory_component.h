#pragma once
// The Base64 component jexrcWOB.clsMemory, created once for all benchmarks.

#include <QObject>

namespace kdrsm::bench {

// The component, or null when it cannot be created.
QObject* memoryComponent();

}  // namespace kdrsm::bench
