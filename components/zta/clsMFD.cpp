#include "clsMFD.h"

#include "atomic_file.h"
#include "error_log.h"
#include "error_report.h"
#include "ini_file.h"
#include "jex/boundary.h"

namespace zta {

namespace {

// Discards the error a body left for the caller: logging and reporting run
// on error paths that are already handling an error and must not raise.
struct DiscardPendingError {
    ~DiscardPendingError() { jex::takePendingError(); }
};

}  // namespace

clsMFD::clsMFD(QObject* parent) : QObject(parent) {}

void clsMFD::LogError(const QString& module, const QString& procedure, const jex::ErrObject& error,
                      qint32 line) {
    const DiscardPendingError quiet;
    jex::boundary([&] { appendErrorLine(module, procedure, error, line); });
}

QString clsMFD::GetIniKey(const QString& section, const QString& key, const QString& path) {
    return jex::boundary([&] { return iniReads_.value(section, key, path); });
}

void clsMFD::WriteIniKey(const QString& section, const QString& key, const QString& value,
                         const QString& path) {
    iniReads_.forget();
    jex::boundary([&] {
        IniFile ini(path);
        ini.setValue(section, key, value);
        ini.save();
    });
}

void clsMFD::WriteFile(const QString& path, const QString& text) {
    jex::boundary([&] { writeFileAtomically(path, text.toUtf8()); });
}

bool clsMFD::SendErrorReport(const QVariantList& record) {
    const DiscardPendingError quiet;
    return jex::boundary([&] {
        if (record.size() != kReportEntries) return false;
        writeErrorReport(record);
        return true;
    });
}

}  // namespace zta
