#pragma once
// The body of every fuzz target: the input bytes become text, one property
// check runs over it, and a broken property aborts with its description so
// that libFuzzer keeps the input.

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "wire_properties.h"

namespace kdrsm::fuzz {

inline int runCheck(QString (*check)(const QString&), const uint8_t* data, size_t size) {
    const QString text = wire::properties::textFromInput(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QString broken = check(text);
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", qUtf8Printable(broken));
        std::abort();
    }
    return 0;
}

}  // namespace kdrsm::fuzz
