// The INI operations of the file helper over any file: reading a key from
// whatever a file holds, then writing any value under any key into it. What
// is written must read back exactly, whatever the file held before.
#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_host.h"
#include "jex/error.h"
#include "jex/latebound.h"

namespace {

QObject* mfd = nullptr;
QString iniFile;

// The sections the panel and the host use.
const QStringList kSections = {QStringLiteral("Server"), QStringLiteral("Roles"),
                               QStringLiteral("Weapons"), QStringLiteral("Settings")};

QString utf8(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString readKey(const QString& section, const QString& key) {
    QString value;
    kdrsm::fuzz::mustNotRaise("reading a key", [&] {
        try {
            value = jex::call(mfd, "GetIniKey", {section, key, iniFile}).toString();
        } catch (const jex::Error& e) {
            // A readable file always gives a value, "" when the key is missing.
            kdrsm::fuzz::broken(QStringLiteral("GetIniKey raised %1").arg(e.number()));
        }
    });
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const QString root = kdrsm::fuzz::startHost();
    mfd = kdrsm::fuzz::component(QStringLiteral("jexrcZTA.clsMFD"));
    QDir().mkpath(root + QStringLiteral("/settings"));
    iniFile = root + QStringLiteral("/settings/fuzz.ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString section = kSections[input.ConsumeIntegralInRange<int>(0, 3)];
    const QString key = utf8(input.ConsumeRandomLengthString(64));
    const QString value = utf8(input.ConsumeRandomLengthString(256));
    const std::string before = input.ConsumeRemainingBytesAsString();

    QFile file(iniFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(before.data(), static_cast<qint64>(before.size())) !=
            static_cast<qint64>(before.size()))
        kdrsm::fuzz::broken(QStringLiteral("cannot write the input file"));
    file.close();

    readKey(section, key);
    // A file holding NUL bytes is no text file: the helper refuses to
    // rewrite it (75) and leaves it as it was. Any other file takes any value.
    const bool text = before.find('\0') == std::string::npos;
    std::optional<qint32> refused;
    kdrsm::fuzz::mustNotRaise("writing a key", [&] {
        try {
            jex::call(mfd, "WriteIniKey", {section, key, value, iniFile});
        } catch (const jex::Error& e) {
            refused = e.number();
        }
    });
    if (!text) {
        QFile after(iniFile);
        if (refused != 75 || !after.open(QIODevice::ReadOnly) ||
            after.readAll().toStdString() != before)
            kdrsm::fuzz::broken(QStringLiteral("a file with NUL bytes was not left alone"));
        return 0;
    }
    if (refused) kdrsm::fuzz::broken(QStringLiteral("WriteIniKey raised %1").arg(*refused));
    const QString back = readKey(section, key);
    if (back != value)
        kdrsm::fuzz::broken(
            QStringLiteral("[%1] \"%2\" wrote \"%3\", read \"%4\"").arg(section, key, value, back));
    return 0;
}
