#include "plugin/clsPlugin.h"

#include "exchange/privileges.h"
#include "exchange/reply.h"
#include "jex/boundary.h"
#include "plugin/embedding.h"
#include "plugin/plugin_record.h"
#include "plugin/startup.h"
#include "plugin/version.h"

namespace kdrsm {

// Every method body runs inside jex::boundary: the host is another
// component, and no C++ exception may travel back through the late-bound call.

clsPlugin::clsPlugin(QObject* parent) : QObject(parent) {
    ensureStarted();
}

QString clsPlugin::dllVersion(const QString& /*pName: has no influence*/) {
    return jex::boundary([] { return versionText(); });
}

QVariant clsPlugin::GetData() {
    return jex::boundary([] { return QVariant::fromValue(PLUGIN{}); });
}

void clsPlugin::SetPrivis(QObject* NameCol, QObject* /*ValCol: not used*/, bool IsSuperAdmin) {
    jex::boundary([&] { applyPrivileges(NameCol, IsSuperAdmin); });
}

void clsPlugin::LoadInterface(qint32 Index, qint64 pHwnd, const QVariantList& PDAT,
                              const QString& /*fName: not used*/) {
    jex::boundary([&] { loadInterface(Index, pHwnd, PDAT); });
}

void clsPlugin::RemoteData(const QString& Data) {
    jex::boundary([&] { handleRemoteData(Data); });
}

void clsPlugin::HideInterface(const QString& /*fName: not used*/) {
    jex::boundary([] { hideInterface(); });
}

}  // namespace kdrsm
