#include "exchange/privileges.h"

#include "diagnostics/error_trap.h"
#include "exchange/wire/setting_schema.h"
#include "form/frmrcKDRSM.h"
#include "jex/collection.h"
#include "jex/convert.h"
#include "jex/latebound.h"
#include "link/privilege_names.h"
#include "plugin/module_state.h"

namespace kdrsm {

// Each privilege with the control its setting's row says it guards.
constinit const std::array<GuardedSetting, 5> kGuardedSettings = [] {
    std::array<GuardedSetting, 5> guarded{};
    for (size_t p = 0; p < guarded.size(); ++p)
        guarded[p] = {jexlink::kPrivilegeNames[p], wire::guardedBy(static_cast<int>(p))->control};
    return guarded;
}();

namespace {

constexpr qint32 kLineStore = 10;
constexpr qint32 kLineForm = 20;
constexpr qint32 kLineCount = 30;
constexpr qint32 kLineFirstPrivilege = 40;  // + 10 per privilege

}  // namespace

void applyPrivileges(QObject* nameCol, bool isSuperAdmin) {
    ModuleState& state = mdl();
    ErrorTrap trap(QStringLiteral("SetPrivis"), jex::err::InvalidCall);
    trap.step(kLineStore, [&] {
        // No collection from the host: an empty one of our own stands in.
        state.colPrivNames = nameCol ? nameCol : new jex::Collection(&formInstance());
    });
    frmrcKDRSM* form = nullptr;
    trap.step(kLineForm, [&] { form = &formInstance(); });
    qint32 count = 0;
    trap.step(kLineCount, [&] { count = jex::call(state.colPrivNames, "Count").toInt(); });
    if (!form || trap.ended() || count < 1 || isSuperAdmin) return;

    for (size_t i = 0; i < kGuardedSettings.size(); ++i) {
        const GuardedSetting& setting = kGuardedSettings[i];
        const qint32 line = kLineFirstPrivilege + 10 * static_cast<qint32>(i);
        bool granted = false;  // a name the collection lacks (error 5) is not granted
        trap.step(line, [&] {
            const QVariant value =
                jex::call(state.colPrivNames, "Item", {QString::fromLatin1(setting.privilege)});
            granted = !jex::equalsNumber(value, 0.0);
        });
        trap.step(line + 1, [&] {
            form->control(QString::fromLatin1(setting.control))->setEnabled(granted);
        });
    }
}

}  // namespace kdrsm
