// The component library's root object: creates jexrcWOB's classes by name.
#include <QtPlugin>

#include "clsMemory.h"
#include "jex/component_factory.h"

namespace wob {

class WobComponent final : public jex::ComponentFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID JEX_COMPONENT_IID FILE "jexrcWOB.json")
public:
    WobComponent()
        : ComponentFactory({{QStringLiteral("jexrcWOB.clsMemory"), [] { return new clsMemory; }}}) {
    }
};

}  // namespace wob

#include "wob_component.moc"
