#include "exchange/model/settings_preset.h"

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/list_entries.h"
#include "jex/convert.h"
#include "jex/error.h"

namespace kdrsm::model {

namespace {

using wire::ReplyForm;

// The setting fields in the order the form creates their controls, which is
// the order Save writes and Load reads them in.
constexpr std::array<int, kSettingCount> kFormOrder = [] {
    std::array<int, kSettingCount> order{};
    for (const wire::Setting& setting : wire::kSettings)
        order[static_cast<size_t>(setting.formPlace)] = setting.index;
    return order;
}();

enum class ControlKind { Text, List, Check };

// The country box keeps a list index though its text is what travels.
ControlKind controlKind(int field) {
    switch (wire::kSettings[static_cast<size_t>(field)].kind) {
        case wire::SettingKind::List:
        case wire::SettingKind::Code:
            return ControlKind::List;
        case wire::SettingKind::Check:
            return ControlKind::Check;
        default:
            return ControlKind::Text;
    }
}

// The list index the form shows for a stored list field.
int listIndexOf(int field, const QString& stored) {
    if (wire::kSettings[static_cast<size_t>(field)].kind == wire::SettingKind::Code)
        return static_cast<int>(wire::listEntries(field).indexOf(stored));
    try {
        return wire::numberFromReply(wire::kSettings[static_cast<size_t>(field)].reply, stored);
    } catch (const jex::Error&) {
        return -1;
    }
}

// The control value the form shows for a stored field: list index, check
// value or text.
QString controlValue(int field, const QString& stored) {
    const ReplyForm form = wire::kSettings[static_cast<size_t>(field)].reply;
    switch (controlKind(field)) {
        case ControlKind::List:
            return QString::number(listIndexOf(field, stored));
        case ControlKind::Check:
            try {
                return QString::number(wire::numberFromReply(form, stored));
            } catch (const jex::Error&) {
                return stored;
            }
        case ControlKind::Text:
            break;
    }
    return wire::textFromReply(form, stored);
}

// The whole number Load puts into a list or check box, or why it cannot.
Read<int> loadedNumber(int field, const QString& value) {
    auto fault = [&](const QString& reason) { return Fault{field, settingKey(field), reason}; };
    int number = 0;
    try {
        number = jex::toInteger(value);
    } catch (const jex::Error&) {
        return fault(QStringLiteral("not a whole number"));
    }
    if (controlKind(field) == ControlKind::Check) {
        if (number < 0 || number > 2) return fault(QStringLiteral("not a check value"));
    } else if (const qsizetype count = wire::listEntries(field).size();
               number < -1 || number >= count) {
        return fault(QStringLiteral("outside the list"));
    }
    return number;
}

// What Update makes of a list index Load left: the corrected index as the
// wire carries it (players by the "50" entry rule, the two by-entry lists
// one higher).
QString updatedListField(const wire::Setting& field, int index) {
    switch (field.correction) {
        case wire::Correction::ListRange:
            index = wire::listIndexInRange(field, index);
            break;
        case wire::Correction::EntryRange:
            // Entry i of the players list is the number i + 1.
            if (index + 1 < field.low || index + 1 > field.high || index < 0)
                index = static_cast<int>(
                    wire::listEntries(field.index).indexOf(QString::fromLatin1(field.text)));
            break;
        default:
            break;
    }
    return QString::number(field.update == wire::UpdateForm::ListIndexPlus1 ? index + 1 : index);
}

// What Update makes of a text Load left, as the remote side stores it.
QString updatedTextField(const wire::Setting& field, const QString& text) {
    switch (field.update) {
        case wire::UpdateForm::Encoded:
            if (field.correction == wire::Correction::BlankText)
                return wire::correctedText(field, text);
            return jex::isBlank(text) ? QString() : text;
        case wire::UpdateForm::TextOrDefault:
            return wire::textOrDefault(field, text);
        default:
            return field.correction == wire::Correction::NumericText
                       ? wire::correctedText(field, text)
                       : text;
    }
}

}  // namespace

QList<PresetEntry> presetEntries(const ServerSettings& settings) {
    QList<PresetEntry> entries;
    for (int field : kFormOrder)
        entries.append({kServerSection, settingKey(field),
                        controlValue(field, settings.fields[static_cast<size_t>(field)])});
    for (const Restriction& role : settings.roles)
        entries.append({kRolesSection, role.name, flagText(role.restricted)});
    for (const Restriction& weapon : settings.weapons)
        entries.append({kWeaponsSection, weapon.name, flagText(weapon.restricted)});
    return entries;
}

Read<ServerSettings> settingsOfPreset(const PresetLookup& preset, const ServerSettings& server) {
    ServerSettings next = server;
    for (int field : kFormOrder) {
        const wire::Setting& row = wire::kSettings[static_cast<size_t>(field)];
        if (row.update == wire::UpdateForm::NotSent) continue;  // loaded, never sent
        const QString value = preset(kServerSection, settingKey(field));
        QString& stored = next.fields[static_cast<size_t>(field)];
        if (controlKind(field) == ControlKind::Text) {
            stored = updatedTextField(row, value);
            continue;
        }
        const Read<int> number = loadedNumber(field, value);
        if (const Fault* fault = std::get_if<Fault>(&number)) return *fault;
        const int loaded = std::get<int>(number);
        if (row.kind == wire::SettingKind::Code) {
            // The chosen code is the text sent; no choice leaves the box empty.
            stored = loaded < 0 ? QString() : wire::listEntries(field)[loaded];
        } else if (row.update == wire::UpdateForm::Check) {
            stored = QString::number(loaded);
        } else if (row.update == wire::UpdateForm::InvertedCheck) {
            stored = loaded == 1 ? QStringLiteral("0") : QStringLiteral("1");
        } else {
            stored = updatedListField(row, loaded);
        }
    }
    for (Restriction& role : next.roles) role.restricted = preset(kRolesSection, role.name) == u"1";
    for (Restriction& weapon : next.weapons)
        weapon.restricted = preset(kWeaponsSection, weapon.name) == u"1";
    return next;
}

}  // namespace kdrsm::model
