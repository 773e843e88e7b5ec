// The component library's root object: creates jexrcZTA's classes by name.
#include <QtPlugin>

#include "clsMFD.h"
#include "jex/component_factory.h"

namespace zta {

class ZtaComponent final : public jex::ComponentFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID JEX_COMPONENT_IID FILE "jexrcZTA.json")
public:
    ZtaComponent()
        : ComponentFactory({{QStringLiteral("jexrcZTA.clsMFD"), [] { return new clsMFD; }}}) {}
};

}  // namespace zta

#include "zta_component.moc"
