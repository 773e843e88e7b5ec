#include "exchange/update.h"

#include <QHash>

#include "diagnostics/error_trap.h"
#include "diagnostics/messages.h"
#include "exchange/send_request.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "jex/convert.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

// Line markers of the update's steps.
constexpr qint32 kLineRefusal = 10;
constexpr qint32 kLineFirstPreparation = 100;  // + field index
constexpr qint32 kLineBuild = 200;
constexpr qint32 kLineSend = 210;

QString encoded(const QString& text) {
    return jex::call(mdl().objMemory, "Enc64", {text}).toString();
}

// Free-text fields: blank text is sent as an empty field without encoding.
QString encodedOrEmpty(const QString& text) {
    return jex::isBlank(text) ? QString() : encoded(text);
}

// Adds one selected weapon's encoded name to the weapons section. While the
// section is still empty the name becomes the section, so an empty name
// (a reply can deliver one) leaves no leading "|".
void addWeapon(QStringList& section, const QString& encodedName) {
    if (!section.isEmpty() || !encodedName.isEmpty()) section << encodedName;
}

// The list index of the entry whose text is `entry` (-1 when absent).
qint32 indexOfEntry(const QWidget* list, const QString& entry) {
    for (qint32 i = 0; i < ctl::listCount(list); ++i)
        if (ctl::listText(list, i) == entry) return i;
    return -1;
}

// Puts the form right for one field (when its row asks for a correction)
// and returns the prepared wire field for the forms that need preparing.
std::optional<QString> prepareField(frmrcKDRSM& form, const wire::Setting& field) {
    QWidget* control = form.control(QString::fromLatin1(field.control));
    const QString text = field.text ? QString::fromLatin1(field.text) : QString();
    switch (field.correction) {
        case wire::Correction::BlankText:
        case wire::Correction::NumericText: {
            const QString typed = ctl::text(control);
            const QString corrected = wire::correctedText(field, typed);
            if (corrected != typed) ctl::setText(control, corrected);
            break;
        }
        case wire::Correction::ListRange: {
            const qint32 index = ctl::listIndex(control);
            const qint32 corrected = wire::listIndexInRange(field, index);
            if (corrected != index) ctl::setListIndex(control, corrected);
            break;
        }
        case wire::Correction::EntryRange: {
            // No selection reads as no number and counts as out of range.
            const auto number = jex::parseNumber(ctl::text(control));
            if (!number || *number < field.low || *number > field.high)
                ctl::setListIndex(control, indexOfEntry(control, text));
            break;
        }
        case wire::Correction::None:
            break;
    }
    switch (field.update) {
        case wire::UpdateForm::Encoded:
            return encodedOrEmpty(ctl::text(control));
        case wire::UpdateForm::TextOrDefault:
            return wire::textOrDefault(field, ctl::text(control));
        case wire::UpdateForm::InvertedCheck:
            return ctl::checkValue(control) == 1 ? QStringLiteral("0") : QStringLiteral("1");
        default:
            return std::nullopt;
    }
}

// A field read from the corrected control in its wire form.
QString currentField(frmrcKDRSM& form, const wire::Setting& field) {
    const QWidget* control = form.control(QString::fromLatin1(field.control));
    switch (field.update) {
        case wire::UpdateForm::ListIndex:
            return QString::number(ctl::listIndex(control));
        case wire::UpdateForm::ListIndexPlus1:
            return QString::number(ctl::listIndex(control) + 1);
        case wire::UpdateForm::Check:
            return QString::number(ctl::checkValue(control));
        case wire::UpdateForm::Text:
            return ctl::text(control);
        default:
            return {};
    }
}

wire::UpdateBody buildBody(frmrcKDRSM& form, const QHash<int, QString>& prepared) {
    wire::UpdateBody body;
    for (const wire::Setting& field : wire::kSettings) {
        if (field.update == wire::UpdateForm::NotSent) continue;
        body.fields << prepared.value(field.index, currentField(form, field));
    }
    const QWidget* weapons = form.control(QStringLiteral("lstWeapons"));
    const qint32 count = ctl::listCount(weapons);
    // Every selected name is encoded, blank or not.
    for (qint32 i = 0; i < count; ++i)
        if (ctl::selected(weapons, i))
            addWeapon(body.encodedWeapons, encoded(ctl::listText(weapons, i)));
    const QWidget* roles = form.control(QStringLiteral("lstRoles"));
    // Slot 0 carries the literal "CQB"; the others carry the list's entries.
    if (ctl::selected(roles, 0)) body.roleSlots[0] = QStringLiteral("CQB");
    for (qint32 i = 1; i < 4; ++i)
        if (ctl::selected(roles, i))
            body.roleSlots[static_cast<size_t>(i)] = ctl::listText(roles, i);
    body.autoLoad = QString::number(ctl::checkValue(form.control(QStringLiteral("chkAutoLoad"))));
    return body;
}

}  // namespace

void updateSettings(frmrcKDRSM& form) {
    ModuleState& state = mdl();
    form.setMousePointer(frmrcKDRSM::kBusyPointer);
    state.PendingCommand = QStringLiteral("Update Settings");
    // A failure while the form is read or the request written ends the update
    // on the error path: logged, shown, nothing sent.
    ErrorTrap trap(QStringLiteral("cmdUpdate"));
    if (state.NoDataReceived) {
        trap.step(kLineRefusal,
                  [] { showNoDataRefusal(QStringLiteral("Unable to update server settings!")); });
    } else {
        QHash<int, QString> prepared;
        for (int index : wire::kUpdatePreparationOrder) {
            const wire::Setting& field = wire::kSettings[static_cast<size_t>(index)];
            trap.step(kLineFirstPreparation + index, [&] {
                if (auto value = prepareField(form, field)) prepared.insert(index, *value);
            });
        }
        QString body;
        trap.step(kLineBuild, [&] { body = wire::joinUpdateBody(buildBody(form, prepared)); });
        trap.step(kLineSend, [&] { SendRequest(wire::kSetSettings, body); });
    }
    form.setMousePointer(frmrcKDRSM::kDefaultPointer);
}

}  // namespace kdrsm
