#include "remote/store/state_folder.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>

#include "jex/durable_file.h"

namespace jexremote {

namespace {

// Replacements of an earlier release, named by Qt's QSaveFile: "server-0.ini.Ab12Cd".
bool isEarlierReplacement(const QString& name) {
    static const QRegularExpression kEarlier(QStringLiteral(
        "^(server-[^/]+\\.ini|[0-9]+\\.pending\\.json|[0-9]+\\.json|tokens)\\.[A-Za-z0-9]{6}$"));
    return kEarlier.match(name).hasMatch();
}

}  // namespace

FolderCheck checkStateFolder(const QString& folder) {
    FolderCheck check;
    if (const auto failure = jex::fs::createOwnerOnlyFolder(folder)) {
        check.refusal = QStringLiteral("cannot create the state folder: %1").arg(failure->text);
        return check;
    }
    if (::chmod(QFile::encodeName(folder).constData(), 0700) != 0) {
        check.refusal = QStringLiteral("cannot make the state folder %1 owner-only").arg(folder);
        return check;
    }
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) continue;  // gone meanwhile
        if (S_ISLNK(st.st_mode)) {
            check.refusal = QStringLiteral("%1: a symbolic link in the state folder").arg(path);
            return check;
        }
        if (S_ISDIR(st.st_mode)) continue;
        if (!S_ISREG(st.st_mode)) {
            check.refusal = QStringLiteral("%1: not a regular file").arg(path);
            return check;
        }
        const QString name = it.fileName();
        if ((jex::fs::isPartialFile(name) || isEarlierReplacement(name)) && QFile::remove(path))
            check.removed << path;
    }
    return check;
}

}  // namespace jexremote
