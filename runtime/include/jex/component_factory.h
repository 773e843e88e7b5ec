#pragma once
// The root object of a component library: it creates the classes the library
// offers, by ProgID. Each library derives one final class from it that adds
// Q_PLUGIN_METADATA(IID JEX_COMPONENT_IID FILE "<library>.json") and names its
// classes.

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

#include "jex/export.h"

#define JEX_COMPONENT_IID "org.jex.Component/1.0"

namespace jex {

class JEX_RUNTIME_EXPORT ComponentFactory : public QObject {
    Q_OBJECT
public:
    using Maker = std::function<QObject*()>;

    // A new object of the class `progId`; a class the library does not offer
    // raises 429 (to the late-bound caller).
    Q_INVOKABLE QObject* create(const QString& progId);

protected:
    explicit ComponentFactory(QHash<QString, Maker> classes);

private:
    QHash<QString, Maker> classes_;
};

}  // namespace jex
