// The component library's root object: creates jexrcZTA's classes by name.
#include <QObject>
#include <QtPlugin>

#include "clsMFD.h"
#include "jex/boundary.h"
#include "jex/error.h"

namespace zta {

class ZtaComponent final : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.jex.Component/1.0" FILE "jexrcZTA.json")
public:
    Q_INVOKABLE QObject* create(const QString& progId) {
        return jex::boundary([&]() -> QObject* {
            if (progId != QStringLiteral("jexrcZTA.clsMFD")) jex::raise(jex::err::CantCreateObject);
            return new clsMFD;
        });
    }
};

}  // namespace zta

#include "zta_component.moc"
