#pragma once
// The host family's file helper: the error log, INI keys, whole-file writes
// and error reports. Every file it keeps for itself lives below the host's
// folder: logs/ for the error log, outbox/ for error reports.

#include <QObject>
#include <QString>
#include <QVariantList>

#include "ini_read_cache.h"
#include "jex/error.h"

namespace zta {

class clsMFD final : public QObject {
    Q_OBJECT
public:
    explicit clsMFD(QObject* parent = nullptr);

    // Appends one line to logs/<module's base name>_errors.log. Never
    // raises: logging happens on an error path that is already failing.
    Q_INVOKABLE void LogError(const QString& module, const QString& procedure,
                              const jex::ErrObject& error, qint32 line);

    // The value of key in section of the INI file; "" when the file, the
    // section or the key is missing. A file that exists but cannot be read
    // raises 70 or 75. The file stays parsed while it is unchanged on disk.
    Q_INVOKABLE QString GetIniKey(const QString& section, const QString& key, const QString& path);

    // Stores value under section and key (see IniFile for what the file
    // keeps). The file is replaced atomically, so a failed write (52, 61, 70,
    // 75, 76) leaves the old one intact; a section name that an INI line
    // cannot hold raises 5. Any key and value text is stored exactly.
    Q_INVOKABLE void WriteIniKey(const QString& section, const QString& key, const QString& value,
                                 const QString& path);

    // Makes text (in UTF-8) the file's whole content, atomically.
    Q_INVOKABLE void WriteFile(const QString& path, const QString& text);

    // Delivers a six-entry error report (number, description, library and
    // version, procedure, flag, line) as a file in outbox/. True when
    // delivered; false for any other record or any failure. Never raises.
    Q_INVOKABLE bool SendErrorReport(const QVariantList& record);

private:
    IniReadCache iniReads_;
};

}  // namespace zta
