// The component library's root object: creates jexrcWOB's classes by name.
#include <QObject>
#include <QtPlugin>

#include "clsMemory.h"
#include "jex/boundary.h"
#include "jex/error.h"

namespace wob {

class WobComponent final : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.jex.Component/1.0" FILE "jexrcWOB.json")
public:
    Q_INVOKABLE QObject* create(const QString& progId) {
        return jex::boundary([&]() -> QObject* {
            if (progId != QStringLiteral("jexrcWOB.clsMemory"))
                jex::raise(jex::err::CantCreateObject);
            return new clsMemory;
        });
    }
};

}  // namespace wob

#include "wob_component.moc"
