// Any text as the reply to the settings fetch, into a loaded form, and then
// as the acknowledgement of an update. Each must end in a notice, the error
// box of "RemoteData" or nothing, never in an exception or a second box.
#include <QString>

#include <cstddef>
#include <cstdint>

#include "exchange/reply.h"
#include "fuzz_host.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"

namespace {

using kdrsm::fuzz::shownBoxes;

bool carriesNoData(const QString& reply) {
    return reply.isEmpty() || reply == QStringLiteral("Failed");
}

// The box the acknowledgement must show, by the reply's exact text.
QString acknowledgementNotice(const QString& reply) {
    if (carriesNoData(reply)) return QStringLiteral("No Data Recieved!");
    if (reply == QStringLiteral("1")) return QStringLiteral("Server Settings Updated.");
    return QStringLiteral("Could Not Update Server Settings!");
}

void deliver(const char* pending, const QString& reply) {
    kdrsm::mdl().PendingCommand = QString::fromLatin1(pending);
    kdrsm::fuzz::mustNotRaise(pending, [&] { kdrsm::handleRemoteData(reply); });
    if (kdrsm::mdl().NoDataReceived != carriesNoData(reply))
        kdrsm::fuzz::broken(QStringLiteral("NoDataReceived is wrong after a reply"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdrsm::fuzz::startHost();
    kdrsm::ensureStarted();
    if (!kdrsm::mdl().objMFD || !kdrsm::mdl().objMemory)
        kdrsm::fuzz::broken(QStringLiteral("the sibling components are missing"));
    kdrsm::formInstance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString reply = kdrsm::fuzz::text(data, size);

    const int before = shownBoxes().count;
    deliver("LoadForm", reply);
    const int shown = shownBoxes().count - before;
    if (shown > 1)
        kdrsm::fuzz::broken(QStringLiteral("a settings reply showed %1 boxes").arg(shown));
    if (shown == 1 && !carriesNoData(reply) &&
        !shownBoxes().lastText.contains(QStringLiteral("\r\nFunction/Sub: RemoteData\r\n")))
        kdrsm::fuzz::broken(QStringLiteral("unexpected box: ") + shownBoxes().lastText);

    const int beforeAck = shownBoxes().count;
    deliver("Update Settings", reply);
    if (shownBoxes().count != beforeAck + 1 ||
        shownBoxes().lastText != acknowledgementNotice(reply))
        kdrsm::fuzz::broken(QStringLiteral("acknowledgement showed: ") + shownBoxes().lastText);
    return 0;
}
