// The component library's root object: creates clsPlugin by class name.
#include <QtPlugin>

#include "jex/component_factory.h"
#include "plugin/clsPlugin.h"

namespace kdrsm {

class KdrsmComponent final : public jex::ComponentFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID JEX_COMPONENT_IID FILE "jexrcKDRSM.json")
public:
    KdrsmComponent()
        : ComponentFactory(
              {{QStringLiteral("jexrcKDRSM.clsPlugin"), [] { return new clsPlugin; }}}) {}
};

}  // namespace kdrsm

#include "component_factory.moc"
