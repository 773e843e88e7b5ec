#include "memory_component.h"

#include <QString>

#include <memory>

#include "jex/components.h"
#include "jex/error.h"

namespace kdrsm::bench {

QObject* memoryComponent() {
    static const std::unique_ptr<QObject> component = []() -> std::unique_ptr<QObject> {
        try {
            return std::unique_ptr<QObject>(
                jex::createObject(QStringLiteral("jexrcWOB.clsMemory")));
        } catch (const jex::Error&) {
            return nullptr;
        }
    }();
    return component.get();
}

}  // namespace kdrsm::bench
