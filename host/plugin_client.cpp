#include "host/plugin_client.h"

#include <QMetaProperty>

#include "host/log.h"
#include "jex/components.h"
#include "jex/error.h"
#include "jex/latebound.h"

namespace jexhost {

namespace {

constexpr int kTwipsPerInch = 1440;

// A field of the descriptor record, a gadget read through its meta-object.
QVariant recordField(const QVariant& record, const char* name) {
    const QMetaObject* meta = record.metaType().metaObject();
    if (!meta) return {};
    const int index = meta->indexOfProperty(name);
    if (index < 0) return {};
    return meta->property(index).readOnGadget(record.constData());
}

}  // namespace

qint32 pixelsToTwips(int pixels, int dotsPerInch) {
    constexpr int kStandardDpi = 96;
    return pixels * kTwipsPerInch / (dotsPerInch > 0 ? dotsPerInch : kStandardDpi);
}

PluginClient::PluginClient(const QString& progId) : object_(jex::createObject(progId)) {}

PluginClient::~PluginClient() = default;

QVariant PluginClient::invoke(const char* method, const QVariantList& args) {
    try {
        return jex::call(object_.get(), method, args);
    } catch (const jex::Error& error) {
        qCWarning(lcHost) << method << "failed:" << error.number() << error.description();
        return {};
    }
}

PluginDescriptor PluginClient::descriptor() {
    const QVariant record = invoke("GetData");
    PluginDescriptor descriptor;
    descriptor.name = recordField(record, "Name").toString();
    descriptor.version = recordField(record, "Version").toString();
    descriptor.description = recordField(record, "Description").toString();
    descriptor.games = recordField(record, "Game").toStringList();
    descriptor.hasInterface = recordField(record, "HasInterface").toBool();
    return descriptor;
}

// The panel leaves its guarded controls as they are for a super
// administrator, and its form outlives each server: a control an earlier
// server's operator was denied would stay disabled. A super administrator's
// privileges are therefore first handed over one by one, all granted.
void PluginClient::setPrivileges(const jexlink::Welcome& welcome) {
    if (welcome.superAdmin) {
        jexlink::Welcome everything = welcome;
        everything.superAdmin = false;
        for (auto& privilege : everything.privileges) privilege.second = 1;
        handOver(everything);
    }
    handOver(welcome);
}

void PluginClient::handOver(const jexlink::Welcome& welcome) {
    auto privileges = std::make_unique<jex::Collection>();
    for (const auto& [name, value] : welcome.privileges) privileges->add(value, name);
    invoke("SetPrivis", {QVariant::fromValue<QObject*>(privileges.get()),
                         QVariant::fromValue<QObject*>(&values_), welcome.superAdmin});
    privileges_ = std::move(privileges);  // the plug-in keeps the latest one
}

void PluginClient::loadInterface(qint32 index, qint64 parentHandle, const QString& tag,
                                 qint32 heightTwips, qint32 widthTwips) {
    const QVariantList pdat{tag, QVariant(), heightTwips, widthTwips};
    invoke("LoadInterface", {index, parentHandle, QVariant(pdat), QString()});
}

void PluginClient::hideInterface() {
    invoke("HideInterface", {QString()});
}

void PluginClient::remoteData(const QString& answer) {
    invoke("RemoteData", {answer});
}

}  // namespace jexhost
