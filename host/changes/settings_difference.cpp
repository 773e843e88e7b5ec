#include "host/changes/settings_difference.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSet>

#include "exchange/wire/field_captions.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/list_entries.h"
#include "exchange/wire/settings_text.h"
#include "jex/convert.h"
#include "jex/error.h"

namespace jexhost::changes {

namespace wire = kdrsm::wire;

namespace {

// Bounds: a shown value, a settings text, the weapons of one side, and the
// weapon rows of one difference.
constexpr qsizetype kMaxShown = 200;
constexpr qsizetype kMaxText = 1 << 20;
constexpr qsizetype kMaxWeapons = 2048;
constexpr int kMaxWeaponRows = 100;

const QString kFromReply = QStringLiteral("settings reply");
const QString kFromUpdate = QStringLiteral("update");

// Why a settings text cannot be read; caught where a snapshot is taken. The
// reason names the place, never the content.
struct Unreadable {
    QString reason;
};

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

QByteArray fingerprint(const QString& text) {
    return QMessageAuthenticationCode::hash(text.toUtf8(), fingerprintKey(),
                                            QCryptographicHash::Sha256);
}

FormValue shown(const QString& text) {
    QString display = text;
    if (display.isEmpty()) display = QStringLiteral("(empty)");
    if (display.size() > kMaxShown) display = display.left(kMaxShown) + QStringLiteral("…");
    return {display, fingerprint(text)};
}

QString fieldPlace(int index, const QString& source) {
    return QStringLiteral("field %1 (%2) of the %3")
        .arg(index)
        .arg(QString::fromUtf8(wire::kFieldCaptions[static_cast<size_t>(index)].label), source);
}

// Free text travels as Base64 of its UTF-8 bytes.
QString decoded(const QString& encoded, const QString& place) {
    const auto bytes = QByteArray::fromBase64Encoding(
        encoded.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes) throw Unreadable{place + QStringLiteral(" is not Base64")};
    return jex::textFromBytes(*bytes);
}

// The control value a list or check field stands for; both directions share
// the reply's reading (the update's forms are its inverses).
qint16 controlNumber(wire::ReplyForm form, const QString& field, const QString& place) {
    try {
        return wire::numberFromReply(form, field);
    } catch (const jex::Error& error) {
        throw Unreadable{place + (error.number() == jex::err::Overflow
                                      ? QStringLiteral(" is out of range")
                                      : QStringLiteral(" is not a number"))};
    }
}

QString entryText(int index, int listIndex) {
    const QStringList entries = wire::listEntries(index);
    if (listIndex == -1) return QStringLiteral("(none)");
    if (listIndex < 0 || listIndex >= entries.size())
        return QStringLiteral("(entry %1)").arg(listIndex);
    return entries[listIndex];
}

QString checkText(int value) {
    switch (value) {
        case 0:
            return QStringLiteral("off");
        case 1:
            return QStringLiteral("on");
        case 2:
            return QStringLiteral("greyed");
        default:
            return QStringLiteral("(value %1)").arg(value);
    }
}

FormValue formValue(int index, const QString& field, const QString& source) {
    const auto at = static_cast<size_t>(index);
    const QString place = fieldPlace(index, source);
    const wire::ReplyForm form = wire::kWireFields[at].reply;
    switch (form) {
        case wire::ReplyForm::Decoded: {
            const QString text = decoded(field, place);
            if (wire::kFieldCaptions[at].secret) return {{}, fingerprint(text)};
            return shown(text);
        }
        case wire::ReplyForm::ListIndex:
        case wire::ReplyForm::ListIndexMinus1:
            return shown(entryText(index, controlNumber(form, field, place)));
        case wire::ReplyForm::Check:
        case wire::ReplyForm::InvertedCheck:
            return shown(checkText(controlNumber(form, field, place)));
        case wire::ReplyForm::Text:
        case wire::ReplyForm::GamePort:
            break;
    }
    return shown(field);
}

void checkLength(const QString& text, const QString& source) {
    if (text.size() > kMaxText)
        throw Unreadable{
            QStringLiteral("the %1 is longer than %2 characters").arg(source).arg(kMaxText)};
}

void checkWeaponCount(qsizetype count, const QString& source) {
    if (count > kMaxWeapons)
        throw Unreadable{
            QStringLiteral("the %1 lists more than %2 weapons").arg(source).arg(kMaxWeapons)};
}

SettingsSnapshot readReply(const QString& text) {
    checkLength(text, kFromReply);
    const wire::SettingsReply reply = wire::splitSettingsReply(text);
    if (reply.sectionCount < 4)
        throw Unreadable{
            QStringLiteral("the settings reply has %1 sections, not 4").arg(reply.sectionCount)};
    if (reply.fields.size() < wire::kReplyFieldCount)
        throw Unreadable{
            QStringLiteral("the settings reply has %1 fields, not 34").arg(reply.fields.size())};
    if (reply.roles.size() < 4)
        throw Unreadable{
            QStringLiteral("the settings reply has %1 role flags, not 4").arg(reply.roles.size())};
    checkWeaponCount(reply.weapons.size(), kFromReply);

    SettingsSnapshot snapshot;
    for (int i = 0; i < wire::kUpdateFieldCount; ++i)
        snapshot.fields[static_cast<size_t>(i)] = formValue(i, reply.fields[i], kFromReply);
    for (int i = 0; i < 4; ++i)
        snapshot.roles[static_cast<size_t>(i)] = reply.roles[i] == QStringLiteral("True");
    for (qsizetype i = 0; i < reply.weapons.size(); ++i) {
        const QString& entry = reply.weapons[i];
        if (jex::trimBlanks(entry).isEmpty()) continue;
        const QString place = QStringLiteral("weapon entry %1 of the settings reply").arg(i);
        const QStringList pieces = jex::split(entry, QStringLiteral(","));
        if (pieces.size() < 2) throw Unreadable{place + QStringLiteral(" has no comma")};
        const QString name = decoded(pieces[0], place);
        if (pieces[1] == QStringLiteral("1")) snapshot.weapons << shown(name);
    }
    snapshot.autoLoad = shown(checkText(reply.autoLoad == QStringLiteral("1") ? 1 : 0));
    return snapshot;
}

SettingsSnapshot readUpdate(const QString& text) {
    checkLength(text, kFromUpdate);
    const auto body = wire::parseUpdateBody(text);
    if (!body)
        throw Unreadable{QStringLiteral(
            "the update does not have four sections, 33 fields and four role slots")};
    checkWeaponCount(body->encodedWeapons.size(), kFromUpdate);

    SettingsSnapshot snapshot;
    for (int i = 0; i < wire::kUpdateFieldCount; ++i)
        snapshot.fields[static_cast<size_t>(i)] = formValue(i, body->fields[i], kFromUpdate);
    for (size_t i = 0; i < 4; ++i) snapshot.roles[i] = !body->roleSlots[i].isEmpty();
    for (qsizetype i = 0; i < body->encodedWeapons.size(); ++i)
        snapshot.weapons << shown(
            decoded(body->encodedWeapons[i], QStringLiteral("weapon %1 of the update").arg(i)));
    snapshot.autoLoad =
        shown(checkText(controlNumber(wire::ReplyForm::Check, body->autoLoad,
                                      QStringLiteral("the auto-load flag of the update"))));
    return snapshot;
}

SettingsSnapshot unreadable(const QString& reason) {
    SettingsSnapshot snapshot;
    snapshot.error = reason;
    return snapshot;
}

QSet<QByteArray> prints(const QList<FormValue>& values) {
    QSet<QByteArray> set;
    for (const FormValue& value : values) set.insert(value.print);
    return set;
}

// The weapons of `from` missing in `other`, each once, as `kind` rows.
void weaponRows(const QList<FormValue>& from, const QList<FormValue>& other, ChangeKind kind,
                int& shownRows, SettingsDifference& difference) {
    const QSet<QByteArray> others = prints(other);
    QSet<QByteArray> seen;
    const QString restricted = QStringLiteral("restricted");
    const QString free = QStringLiteral("unrestricted");
    for (const FormValue& weapon : from) {
        if (others.contains(weapon.print) || seen.contains(weapon.print)) continue;
        seen.insert(weapon.print);
        if (shownRows >= kMaxWeaponRows) {
            ++difference.omittedWeapons;
            continue;
        }
        ++shownRows;
        const QString setting =
            QString::fromUtf8(wire::kWeaponsCaption) + QStringLiteral(": ") + weapon.shown;
        difference.changes.append({kind, setting, kind == ChangeKind::Added ? free : restricted,
                                   kind == ChangeKind::Added ? restricted : free});
    }
}

}  // namespace

QString changeText(const SettingChange& change) {
    if (change.kind == ChangeKind::Secret) return change.setting + QStringLiteral(" changed");
    return change.setting + u' ' + change.before + QStringLiteral(" -> ") + change.after;
}

QStringList differenceLines(const SettingsDifference& difference) {
    if (!difference.comparable()) return {QStringLiteral("cannot compare: ") + difference.error};
    if (difference.changes.isEmpty()) return {kNothingChanged};
    QStringList lines;
    for (const SettingChange& change : difference.changes) lines << changeText(change);
    if (difference.omittedWeapons > 0)
        lines << QStringLiteral("%1: and %2 more")
                     .arg(QString::fromUtf8(wire::kWeaponsCaption))
                     .arg(difference.omittedWeapons);
    return lines;
}

QString differenceSummary(const SettingsDifference& difference) {
    if (!difference.comparable() || difference.changes.isEmpty())
        return differenceLines(difference).constFirst();
    const qsizetype count = difference.changes.size() + difference.omittedWeapons;
    return count == 1 ? QStringLiteral("1 change") : QStringLiteral("%1 changes").arg(count);
}

SettingsSnapshot snapshotOfReply(const QString& reply) {
    try {
        return readReply(reply);
    } catch (const Unreadable& unreadableText) {
        return unreadable(unreadableText.reason);
    }
}

SettingsSnapshot snapshotOfUpdate(const QString& body) {
    try {
        return readUpdate(body);
    } catch (const Unreadable& unreadableText) {
        return unreadable(unreadableText.reason);
    }
}

SettingsDifference compare(const SettingsSnapshot& before, const SettingsSnapshot& after) {
    SettingsDifference difference;
    if (!before.error.isEmpty() || !after.error.isEmpty()) {
        difference.error = before.error.isEmpty() ? after.error : before.error;
        return difference;
    }
    for (int i = 0; i < wire::kUpdateFieldCount; ++i) {
        const auto at = static_cast<size_t>(i);
        if (before.fields[at].print == after.fields[at].print) continue;
        const QString setting = QString::fromUtf8(wire::kFieldCaptions[at].label);
        if (wire::kFieldCaptions[at].secret)
            difference.changes.append({ChangeKind::Secret, setting, {}, {}});
        else
            difference.changes.append(
                {ChangeKind::Value, setting, before.fields[at].shown, after.fields[at].shown});
    }
    for (size_t i = 0; i < 4; ++i) {
        if (before.roles[i] == after.roles[i]) continue;
        const QString setting = QString::fromUtf8(wire::kRolesCaption) + QStringLiteral(": ") +
                                QString::fromUtf8(wire::kRoleEntries[i]);
        const QString restricted = QStringLiteral("restricted");
        const QString free = QStringLiteral("unrestricted");
        difference.changes.append(
            after.roles[i] ? SettingChange{ChangeKind::Added, setting, free, restricted}
                           : SettingChange{ChangeKind::Removed, setting, restricted, free});
    }
    int weaponRowCount = 0;
    weaponRows(before.weapons, after.weapons, ChangeKind::Removed, weaponRowCount, difference);
    weaponRows(after.weapons, before.weapons, ChangeKind::Added, weaponRowCount, difference);
    if (before.autoLoad.print != after.autoLoad.print)
        difference.changes.append({ChangeKind::Value, QString::fromUtf8(wire::kAutoLoadCaption),
                                   before.autoLoad.shown, after.autoLoad.shown});
    return difference;
}

SettingsDifference difference(const QString& lastSettingsReply, const QString& updateBody) {
    return compare(snapshotOfReply(lastSettingsReply), snapshotOfUpdate(updateBody));
}

}  // namespace jexhost::changes
