// Any bytes as the .ssf file that Load reads, through the real file dialog
// and the real INI component, into a form filled by a settings reply. Load
// must end in "Server Settings Loaded." or the error box of "cmdLoad", and
// must leave the file as it was.
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "exchange/reply.h"
#include "form/frmrcKDRSM.h"
#include "form/settings_file.h"
#include "fuzz_host.h"
#include "jex/latebound.h"
#include "plugin/module_state.h"
#include "plugin/startup.h"

namespace {

QString inputFile;

// Answers every file dialog with the input file, once its own event loop runs.
class DialogAnswer final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched))
                QMetaObject::invokeMethod(
                    dialog,
                    [dialog] {
                        dialog->selectFile(inputFile);
                        static_cast<QDialog*>(dialog)->accept();  // protected in QFileDialog
                    },
                    Qt::QueuedConnection);
        return false;
    }
};

QString encoded(const QString& text) {
    return jex::call(kdrsm::mdl().objMemory, "Enc64", {text}).toString();
}

// A settings reply of an ordinary server, so that the lists hold roles and
// weapons whose keys Load reads.
QString ordinaryReply() {
    QStringList fields = {encoded(QStringLiteral("KDR Fuzz")), encoded(QStringLiteral("US")),
                          QStringLiteral("1"), encoded(QStringLiteral("secret"))};
    for (const char* value : {"15", "30", "2", "2", "8", "1", "0", "1", "1"})
        fields << QString::fromLatin1(value);
    fields << encoded(QStringLiteral("Welcome")) << encoded(QStringLiteral("blue"))
           << encoded(QStringLiteral("red"));
    for (const char* value : {"1", "6", "0", "1", "15", "210", "100", "1", "0", "1", "1", "20", "0",
                              "15000", "0", "0", "1", "0"})
        fields << QString::fromLatin1(value);
    QStringList weapons;
    for (const char* name : {"M4", "MP5", "G3", "Knife"})
        weapons << encoded(QString::fromLatin1(name)) + QStringLiteral(",1");
    return QStringList{fields.join(u'|'), QStringLiteral("True|False|True|False"),
                       weapons.join(u'|'), QStringLiteral("0")}
        .join(QStringLiteral("[-]"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const QString root = kdrsm::fuzz::startHost();
    kdrsm::ensureStarted();
    if (!kdrsm::mdl().objMFD || !kdrsm::mdl().objMemory)
        kdrsm::fuzz::broken(QStringLiteral("the sibling components are missing"));
    QDir().mkpath(root + QStringLiteral("/profiles/0/settings"));
    inputFile = root + QStringLiteral("/profiles/0/settings/input.ssf");
    qApp->installEventFilter(new DialogAnswer);
    kdrsm::mdl().PendingCommand = QStringLiteral("LoadForm");
    kdrsm::fuzz::mustNotRaise("the ordinary reply",
                              [] { kdrsm::handleRemoteData(ordinaryReply()); });
    if (kdrsm::fuzz::shownBoxes().count != 0)
        kdrsm::fuzz::broken(QStringLiteral("the ordinary reply failed: ") +
                            kdrsm::fuzz::shownBoxes().lastText);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QFile file(inputFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        kdrsm::fuzz::broken(QStringLiteral("cannot write the input file"));
    file.close();

    const int before = kdrsm::fuzz::shownBoxes().count;
    kdrsm::fuzz::mustNotRaise("Load", [] { kdrsm::loadSettingsFile(kdrsm::formInstance()); });
    // What the dialog left for later is freed now, within this input: memory
    // still held at its end would make every input look like a leak worth a
    // full leak check.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto& boxes = kdrsm::fuzz::shownBoxes();
    const bool loaded = boxes.lastText == QStringLiteral("Server Settings Loaded.");
    const bool reported = boxes.lastText.contains(QStringLiteral("\r\nFunction/Sub: cmdLoad\r\n"));
    if (boxes.count != before + 1 || !(loaded || reported))
        kdrsm::fuzz::broken(QStringLiteral("Load ended with: ") + boxes.lastText);

    QFile reread(inputFile);
    if (!reread.open(QIODevice::ReadOnly) || reread.readAll() != bytes)
        kdrsm::fuzz::broken(QStringLiteral("Load changed the file it read"));
    return 0;
}
