#include "host/traffic/traffic_details.h"

#include <QByteArray>
#include <QStringList>

#include "exchange/wire/field_captions.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "jex/convert.h"

namespace jexhost::traffic {

namespace wire = kdrsm::wire;

namespace {

// A shown value is cut here, and a weapon list after this many names, so that
// a long body cannot swell the view's bounded rows.
constexpr qsizetype kMaxValueLength = 200;
constexpr qsizetype kMaxWeaponNames = 64;

QString bounded(const QString& value) {
    if (value.size() <= kMaxValueLength) return value;
    return value.left(kMaxValueLength) + QStringLiteral("…");
}

// Free text travels as Base64 of its bytes; a field that is not is shown as such.
QString decoded(const QString& encoded) {
    const auto bytes = QByteArray::fromBase64Encoding(
        encoded.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes) return QStringLiteral("(not Base64)");
    return jex::textFromBytes(*bytes);
}

QString fieldValue(int index, const QString& field) {
    if (wire::kFieldCaptions[index].secret) return kHidden;
    if (wire::kWireFields[index].update == wire::UpdateForm::Encoded) return decoded(field);
    return field;
}

QString weaponNames(const QStringList& encodedWeapons) {
    QStringList names;
    for (const QString& encoded :
         encodedWeapons.first(std::min<qsizetype>(encodedWeapons.size(), kMaxWeaponNames)))
        names << bounded(decoded(encoded));
    if (encodedWeapons.size() > kMaxWeaponNames)
        names << QStringLiteral("and %1 more").arg(encodedWeapons.size() - kMaxWeaponNames);
    return names.join(QStringLiteral(", "));
}

QList<FieldLine> updateFields(const wire::UpdateBody& body) {
    QList<FieldLine> lines;
    for (int i = 0; i < wire::kUpdateFieldCount; ++i)
        lines.append({QString::fromUtf8(wire::kFieldCaptions[i].label),
                      bounded(fieldValue(i, body.fields[i]))});
    lines.append({QString::fromUtf8(wire::kWeaponsCaption), weaponNames(body.encodedWeapons)});
    QStringList roles;
    for (const QString& slot : body.roleSlots)
        if (!slot.isEmpty()) roles << bounded(slot);
    lines.append({QString::fromUtf8(wire::kRolesCaption), roles.join(QStringLiteral(", "))});
    lines.append({QString::fromUtf8(wire::kAutoLoadCaption), bounded(body.autoLoad)});
    return lines;
}

QString characters(qsizetype count) {
    return count == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(count);
}

bool isNoData(const QString& answer) {
    return answer.isEmpty() || answer == QStringLiteral("Failed");
}

}  // namespace

RequestDetails describeRequest(const QString& requestText) {
    const auto request = wire::parseRequestText(requestText);
    if (!request)
        return {
            {}, QStringLiteral("not a request text (%1)").arg(characters(requestText.size())), {}};

    RequestDetails details{request->command, {}, {}};
    const QString profile = QStringLiteral("profile %1").arg(request->profileIndex);
    if (request->command == wire::kGetSettings) {
        details.summary = QStringLiteral("settings fetch, %1").arg(profile);
    } else if (request->command == wire::kSetSettings) {
        const auto body = wire::parseUpdateBody(request->data);
        if (!body) {
            details.summary = QStringLiteral("settings update, %1, body not readable (%2)")
                                  .arg(profile, characters(request->data.size()));
        } else {
            details.summary = QStringLiteral("settings update, %1, %2 restricted weapons")
                                  .arg(profile)
                                  .arg(body->encodedWeapons.size());
            details.fields = updateFields(*body);
        }
    } else {
        // Another command's data has no known shape, so none of it is shown.
        details.summary =
            QStringLiteral("%1, %2 of data").arg(profile, characters(request->data.size()));
    }
    return details;
}

QString describeAnswer(const QString& command, const QString& answerText) {
    if (command == wire::kGetSettings) {
        if (isNoData(answerText)) return QStringLiteral("no data");
        const wire::SettingsReply reply = wire::splitSettingsReply(answerText);
        return QStringLiteral("%1 fields, %2 roles, %3 weapons")
            .arg(reply.fields.size())
            .arg(reply.roles.size())
            .arg(reply.weapons.size());
    }
    if (command == wire::kSetSettings) {
        if (isNoData(answerText)) return QStringLiteral("no data");
        return answerText == QStringLiteral("1") ? QStringLiteral("updated")
                                                 : QStringLiteral("not updated");
    }
    return characters(answerText.size());
}

}  // namespace jexhost::traffic
