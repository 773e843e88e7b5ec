// Dec64 of the text helper on any text: it decodes or raises 5, and what
// Enc64 encodes, Dec64 gives back exactly.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_host.h"
#include "jex/error.h"
#include "jex/latebound.h"

namespace {

QObject* memory = nullptr;

// The decoded text, or nothing when Dec64 refuses the text with error 5.
std::optional<QString> decoded(const QString& text) {
    std::optional<QString> result;
    kdrsm::fuzz::mustNotRaise("decoding", [&] {
        try {
            result = jex::call(memory, "Dec64", {text}).toString();
        } catch (const jex::Error& e) {
            if (e.number() != 5)
                kdrsm::fuzz::broken(QStringLiteral("Dec64 raised %1").arg(e.number()));
        }
    });
    return result;
}

QString encoded(const QString& text) {
    QString result;
    kdrsm::fuzz::mustNotRaise("encoding",
                              [&] { result = jex::call(memory, "Enc64", {text}).toString(); });
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    memory = kdrsm::fuzz::component(QStringLiteral("jexrcWOB.clsMemory"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = kdrsm::fuzz::text(data, size);
    if (const auto plain = decoded(text)) {
        if (decoded(encoded(*plain)) != plain)
            kdrsm::fuzz::broken(QStringLiteral("a decoded text does not survive Enc64, Dec64"));
    }
    if (decoded(encoded(text)) != text)
        kdrsm::fuzz::broken(QStringLiteral("Dec64 does not undo Enc64"));
    return 0;
}
