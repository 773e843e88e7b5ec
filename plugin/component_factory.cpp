// The component library's root object: creates clsPlugin by class name.
#include <QObject>
#include <QtPlugin>

#include "jex/boundary.h"
#include "jex/error.h"
#include "plugin/clsPlugin.h"

namespace kdrsm {

class KdrsmComponent final : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.jex.Component/1.0" FILE "jexrcKDRSM.json")
public:
    Q_INVOKABLE QObject* create(const QString& progId) {
        return jex::boundary([&]() -> QObject* {
            if (progId != QStringLiteral("jexrcKDRSM.clsPlugin")) jex::raise(jex::err::CantCreateObject);
            return new clsPlugin;
        });
    }
};

}  // namespace kdrsm

#include "component_factory.moc"
