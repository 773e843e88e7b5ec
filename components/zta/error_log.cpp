#include "error_log.h"

#include <QFile>
#include <QFileInfo>

#include "host_folder.h"
#include "local_time.h"

namespace zta {

namespace {

QString field(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    }
    return text;
}

// The module's base name, reduced to characters that are safe in a file name.
QString logBaseName(const QString& module) {
    QString name;
    for (const QChar c : QFileInfo(module).completeBaseName()) {
        if (c.isLetterOrNumber() || c == u'_' || c == u'-') name += c;
    }
    return name.isEmpty() ? QStringLiteral("jexrc") : name;
}

QString errorLogPath(const QString& module) {
    return hostSubfolder(QStringLiteral("logs")) + u'/' + logBaseName(module) +
           QStringLiteral("_errors.log");
}

QByteArray errorLogLine(const QString& module, const QString& procedure,
                        const jex::ErrObject& error, qint32 line) {
    const QStringList fields = {localTimeStamp(),         field(module),
                                field(procedure),         QString::number(error.number),
                                field(error.description), QString::number(line)};
    return (fields.join(u'\t') + u'\n').toUtf8();
}

}  // namespace

void appendErrorLine(const QString& module, const QString& procedure, const jex::ErrObject& error,
                     qint32 line) {
    QFile log(errorLogPath(module));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) jex::raise(jex::err::PathFileAccess);
    // One write per line, so lines of concurrent writers do not interleave.
    const QByteArray text = errorLogLine(module, procedure, error, line);
    if (log.write(text) != text.size()) jex::raise(jex::err::PathFileAccess);
}

}  // namespace zta
