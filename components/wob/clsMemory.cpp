#include "clsMemory.h"

#include "jex/boundary.h"
#include "jex/error.h"
#include "jex/text64.h"

namespace wob {

clsMemory::clsMemory(QObject* parent) : QObject(parent) {}

QString clsMemory::Enc64(const QString& text) const {
    return jex::boundary([&] { return jex::encodeText64(text); });
}

QString clsMemory::Dec64(const QString& encoded) const {
    return jex::boundary([&] {
        const auto text = jex::decodeText64(encoded);
        if (!text) jex::raise(jex::err::InvalidCall);
        return *text;
    });
}

}  // namespace wob
