#include "jex/component_factory.h"

#include "jex/boundary.h"
#include "jex/error.h"

namespace jex {

ComponentFactory::ComponentFactory(QHash<QString, Maker> classes) : classes_(std::move(classes)) {}

QObject* ComponentFactory::create(const QString& progId) {
    return boundary([&]() -> QObject* {
        const auto maker = classes_.constFind(progId);
        if (maker == classes_.constEnd()) raise(err::CantCreateObject);
        return (*maker)();
    });
}

}  // namespace jex
