#include "host/changes/settings_snapshot.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"

namespace jexhost::changes {

namespace model = kdrsm::model;

namespace {

// A fresh key per process: fingerprints cannot be matched against guesses
// outside it, and none outlives it.
const QByteArray& fingerprintKey() {
    static const QByteArray key = [] {
        QByteArray bytes(32, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                              bytes.size() / 4);
        return bytes;
    }();
    return key;
}

QString fingerprint(const QString& text) {
    return QString::fromLatin1(QMessageAuthenticationCode::hash(text.toUtf8(), fingerprintKey(),
                                                                QCryptographicHash::Sha256)
                                   .toHex());
}

}  // namespace

Snapshot::Snapshot()
    : read_(model::Fault{-1, {}, QStringLiteral("no settings fetched from this server")}) {}

Snapshot::Snapshot(model::Read<model::ServerSettings> masked) : read_(std::move(masked)) {}

QString Snapshot::field(int index) const {
    const auto* settings = masked();
    if (!settings || index < 0 || index >= model::kSettingCount) return {};
    return settings->fields[static_cast<size_t>(index)];
}

QList<model::Restriction> Snapshot::roles() const {
    return masked() ? masked()->roles : QList<model::Restriction>();
}

QList<model::Restriction> Snapshot::weapons() const {
    return masked() ? masked()->weapons : QList<model::Restriction>();
}

bool Snapshot::autoLoad() const {
    return masked() && masked()->autoLoad;
}

Snapshot snapshotOf(model::Read<model::ServerSettings> settings) {
    if (auto* read = std::get_if<model::ServerSettings>(&settings))
        for (int i = 0; i < model::kSettingCount; ++i)
            if (model::isSecret(i))
                read->fields[static_cast<size_t>(i)] =
                    fingerprint(read->fields[static_cast<size_t>(i)]);
    return Snapshot(std::move(settings));
}

Snapshot snapshotOfReply(const QString& reply) {
    return snapshotOf(model::settingsOfReply(reply));
}

Snapshot snapshotOfUpdate(const QString& body, const Snapshot& lastFetched) {
    if (const auto* base = lastFetched.masked())
        return snapshotOf(model::settingsOfUpdate(body, *base));
    return snapshotOf(model::settingsOfUpdate(body));
}

QString faultText(const model::Fault& fault) {
    return fault.setting.isEmpty() ? fault.reason
                                   : fault.setting + QStringLiteral(": ") + fault.reason;
}

}  // namespace jexhost::changes
