#include "exchange/reply.h"

#include "diagnostics/error_trap.h"
#include "diagnostics/messages.h"
#include "exchange/wire/fields.h"
#include "exchange/wire/settings_text.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "jex/convert.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

const QString kLoadForm = QStringLiteral("LoadForm");
const QString kUpdateSettings = QStringLiteral("Update Settings");

// Line markers of the steps, so an error report names the failing step.
constexpr qint32 kLineNoData = 10;
constexpr qint32 kLineAcknowledgement = 20;
constexpr qint32 kLineSplit = 100;
constexpr qint32 kLineFirstField = 110;  // + field index
constexpr qint32 kLineFirstRole = 150;   // + role index
constexpr qint32 kLineClearWeapons = 160;
constexpr qint32 kLineAutoLoad = 170;
constexpr qint32 kLineFirstWeapon = 1000;  // + entry index

QString decode(const QString& encoded) {
    return jex::call(mdl().objMemory, "Dec64", {encoded}).toString();
}

void applyField(frmrcKDRSM& form, const wire::Setting& field, const QString& value) {
    QWidget* control = form.control(QString::fromLatin1(field.control));
    switch (field.reply) {
        case wire::ReplyForm::Decoded:
            ctl::setText(control, decode(value));
            break;
        case wire::ReplyForm::ListIndex:
        case wire::ReplyForm::ListIndexMinus1:
            ctl::setListIndex(control, wire::numberFromReply(field.reply, value));
            break;
        case wire::ReplyForm::Check:
        case wire::ReplyForm::InvertedCheck:
            ctl::setCheckValue(control, wire::numberFromReply(field.reply, value));
            break;
        case wire::ReplyForm::Text:
        case wire::ReplyForm::GamePort:
            ctl::setText(control, wire::textFromReply(field.reply, value));
            break;
    }
}

// One weapon entry "<encoded name>,<flag>": the decoded name is appended,
// then selected when the flag is exactly "1".
void appendWeapon(QWidget* weapons, const QString& entry) {
    if (jex::trimBlanks(entry).isEmpty()) return;
    const QStringList parts = jex::split(entry, QStringLiteral(","));
    ctl::addItem(weapons, decode(jex::pieceAt(parts, 0)));
    ctl::setSelected(weapons, ctl::listCount(weapons) - 1,
                     jex::pieceAt(parts, 1) == QStringLiteral("1"));
}

void fillForm(ErrorTrap& trap, const QString& data) {
    wire::SettingsReply reply;
    frmrcKDRSM* form = nullptr;
    trap.step(kLineSplit, [&] {
        reply = wire::splitSettingsReply(data);
        form = &formInstance();
    });
    if (!form) return;
    for (const wire::Setting& field : wire::kSettings) {
        trap.step(kLineFirstField + field.index,
                  [&] { applyField(*form, field, jex::pieceAt(reply.fields, field.index)); });
    }
    QWidget* roles = nullptr;
    QWidget* weapons = nullptr;
    for (int i = 0; i < 4; ++i) {
        trap.step(kLineFirstRole + i, [&] {
            if (reply.sectionCount < 2) jex::raise(jex::err::SubscriptOutOfRange);
            roles = form->control(QStringLiteral("lstRoles"));
            ctl::setSelected(roles, i, jex::pieceAt(reply.roles, i) == QStringLiteral("True"));
        });
    }
    trap.step(kLineClearWeapons, [&] {
        if (reply.sectionCount < 3) jex::raise(jex::err::SubscriptOutOfRange);
        weapons = form->control(QStringLiteral("lstWeapons"));
        ctl::clearList(weapons);
    });
    for (qsizetype i = 0; weapons && i < reply.weapons.size(); ++i) {
        trap.step(kLineFirstWeapon + static_cast<qint32>(i),
                  [&] { appendWeapon(weapons, reply.weapons[i]); });
    }
    trap.step(kLineAutoLoad, [&] {
        if (reply.sectionCount < 4) jex::raise(jex::err::SubscriptOutOfRange);
        ctl::setCheckValue(form->control(QStringLiteral("chkAutoLoad")),
                           reply.autoLoad == QStringLiteral("1") ? 1 : 0);
    });
}

}  // namespace

void handleRemoteData(const QString& data) {
    ModuleState& state = mdl();
    ErrorTrap trap(QStringLiteral("RemoteData"), jex::err::InvalidCall);
    if (data.isEmpty() || data == QStringLiteral("Failed")) {
        state.NoDataReceived = true;
        trap.step(kLineNoData,
                  [] { ShowMessage(msg::Failure, QStringLiteral("No Data Recieved!")); });
        return;
    }
    state.NoDataReceived = false;
    if (state.PendingCommand == kLoadForm) {
        fillForm(trap, data);
    } else if (state.PendingCommand == kUpdateSettings) {
        trap.step(kLineAcknowledgement, [&] {
            if (data == QStringLiteral("1"))
                ShowMessage(msg::Success, QStringLiteral("Server Settings Updated."));
            else
                ShowMessage(msg::Failure, QStringLiteral("Could Not Update Server Settings!"));
        });
    }
}

}  // namespace kdrsm
