#include "host/servers/embedded_profiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "exchange/model/setting_names.h"
#include "jex/durable_file.h"
#include "remote/store/server_settings.h"
#include "remote/store/state_file.h"
#include "remote/validation/field_rules.h"

namespace jexhost::servers {

namespace {

struct SeedValue {
    const char* setting;
    const char* value;
};

// The second server of the first start; settings not named keep a new
// server's values.
constexpr SeedValue kAffiliate[] = {
    {"ServerName", "NovaWorld Affiliate"},
    {"Players", "15"},  // 16 players
    {"Time", "45"},
    {"Respawn", "5"},
    {"Message", "NovaWorld affiliate server: log in to play."},
};

jexremote::ServerSettings seedFor(qint32 profile) {
    jexremote::ServerSettings settings = jexremote::defaultSettings();
    const auto set = [&](const char* setting, const QString& value) {
        settings.fields[kdrsm::model::fieldOfKey(QString::fromLatin1(setting))] = value;
    };
    if (profile == 1) {
        for (const SeedValue& seed : kAffiliate) set(seed.setting, QString::fromUtf8(seed.value));
    } else if (profile != 0) {
        set("ServerName", QStringLiteral("Delta Force Server %1").arg(profile));
    }
    return settings;
}

}  // namespace

bool seedEmbeddedProfiles(const QString& stateDir, const QList<ServerEntry>& servers,
                          QString* error) {
    if (const auto failure = jex::fs::createOwnerOnlyFolder(stateDir)) {
        *error = failure->text;
        return false;
    }
    for (const ServerEntry& server : servers) {
        if (!server.isEmbedded()) continue;
        const QString path =
            QDir(stateDir).filePath(QStringLiteral("server-%1.ini").arg(server.profile));
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) continue;
        if (!jexremote::writeStateFile(path, seedFor(server.profile), error)) return false;
    }
    return true;
}

}  // namespace jexhost::servers
