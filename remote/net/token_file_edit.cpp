#include "remote/net/token_file_edit.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jex/durable_file.h"
#include "remote/net/operators.h"

namespace jexremote {

namespace {

constexpr int kTokenBytes = 32;
constexpr int kLockWaitMs = 10000;  // how long an edit waits for another one to end

// Edits of one token file take turns: each holds a lock on FILE.lock beside
// it from its reading to its renaming, so that none writes over another's
// change. The lock file stays (removing it would let two edits lock two files).
class EditLock {
public:
    explicit EditLock(const QString& path) : path_(path + QStringLiteral(".lock")) {}
    ~EditLock() {
        if (fd_ >= 0) ::close(fd_);  // and the lock with it
    }
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

    bool take(QString* error) {
        fd_ = ::open(QFile::encodeName(path_).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            *error = QStringLiteral("cannot lock the token file: %1: %2")
                         .arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        for (int waited = 0; ::flock(fd_, LOCK_EX | LOCK_NB) != 0; waited += 10) {
            if (errno != EWOULDBLOCK || waited >= kLockWaitMs) {
                *error = QStringLiteral("cannot lock the token file: %1: %2")
                             .arg(path_, errno == EWOULDBLOCK
                                             ? QStringLiteral("another change holds it")
                                             : QString::fromLocal8Bit(std::strerror(errno)));
                return false;
            }
            QThread::msleep(10);
        }
        return true;
    }

private:
    QString path_;
    int fd_ = -1;
};

bool isOperatorName(const QString& name) {
    static const QRegularExpression kName(QStringLiteral("^[^\\s#]\\S*$"));
    return kName.match(name).hasMatch() && name.size() <= jexlink::kMaxOperatorNameLength;
}

QString nameRule() {
    return QStringLiteral(
               "an operator's name is 1 to %1 characters without blanks, not starting with #")
        .arg(jexlink::kMaxOperatorNameLength);
}

// Read back after the rename: an edit made by other means than this tool (an
// editor) may still have come in between.
bool changeHeld(const QString& path, const std::function<bool(const QList<Operator>&)>& held,
                QString* error) {
    const auto now = readTokenFile(path, error);
    if (now && held(*now)) return true;
    *error = QStringLiteral(
                 "the change to %1 did not hold: the file was changed meanwhile (%2); "
                 "look at it and try again")
                 .arg(path, now ? QStringLiteral("by other means") : *error);
    return false;
}

// The command line's names of the five privileges, in the token file's order.
constexpr std::array<const char*, 5> kShortPrivilegeNames = {"session", "players", "dedicated",
                                                             "skins", "novalogin"};

// The command line's name of the control of game servers, the line's ninth field.
constexpr const char* kControlPrivilege = "control";

const QRegularExpression& blanks() {
    static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
    return kBlanks;
}

std::optional<QByteArray> operatorLine(const QString& token, const NewOperator& who,
                                       QString* error) {
    if (!isOperatorName(who.name)) {
        *error = nameRule();
        return std::nullopt;
    }
    QStringList fields{token, who.name, who.superAdmin ? QStringLiteral("1") : QStringLiteral("0")};
    for (const char* privilege : kShortPrivilegeNames)
        fields << (who.privileges.contains(QLatin1String(privilege)) ? QStringLiteral("1")
                                                                     : QStringLiteral("0"));
    if (who.privileges.contains(QLatin1String(kControlPrivilege))) fields << QStringLiteral("1");
    for (const QString& asked : who.privileges) {
        if (asked != QLatin1String(kControlPrivilege) &&
            std::none_of(kShortPrivilegeNames.begin(), kShortPrivilegeNames.end(),
                         [&](const char* known) { return asked == QLatin1String(known); })) {
            *error = QStringLiteral(
                         "unknown privilege %1 (known: session, players, dedicated, "
                         "skins, novalogin, control)")
                         .arg(asked);
            return std::nullopt;
        }
    }
    return fields.join(u' ').toUtf8() + '\n';
}

// The file's text, once its operators are known to be valid.
std::optional<QByteArray> checkedText(const QString& path, QList<Operator>* operators,
                                      QString* error) {
    auto read = readTokenFile(path, error);
    if (!read) return std::nullopt;
    *operators = *read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the token file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.read(kMaxTokenFileBytes);
}

// The operator a line names; empty for comments, blank lines and a bare token.
QString nameOnLine(const QByteArray& line) {
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.startsWith(u'#')) return {};
    return text.split(blanks()).value(1);
}

bool replaceChecked(const QString& path, const QByteArray& text, QString* error) {
    if (!parseTokenFile(text, path, error)) return false;
    return writeTokenFile(path, text, error);
}

}  // namespace

QStringList allPrivileges() {
    QStringList names;
    for (const char* name : kShortPrivilegeNames) names << QString::fromLatin1(name);
    names << QString::fromLatin1(kControlPrivilege);
    return names;
}

QString newToken() {
    QByteArray bytes(kTokenBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool writeTokenFile(const QString& path, const QByteArray& text, QString* error) {
    if (const auto failure = jex::fs::writeFileDurably(path, text)) {
        *error = QStringLiteral("cannot write the token file: %1").arg(failure->text);
        return false;
    }
    return true;
}

std::optional<QString> addOperator(const QString& path, const NewOperator& who, QString* error) {
    const QString token = newToken();
    const auto line = operatorLine(token, who, error);
    if (!line) return std::nullopt;
    EditLock lock(path);
    if (!lock.take(error)) return std::nullopt;
    QByteArray text;
    if (QFileInfo::exists(path)) {
        QList<Operator> operators;
        const auto old = checkedText(path, &operators, error);
        if (!old) return std::nullopt;
        for (const Operator& op : operators) {
            if (op.welcome.operatorName == who.name) {
                *error = QStringLiteral("operator %1 is in %2 already").arg(who.name, path);
                return std::nullopt;
            }
        }
        text = *old;
        if (!text.isEmpty() && !text.endsWith('\n')) text += '\n';
    } else {
        text = "# token name super session players dedicated skins novalogin\n";
    }
    if (!replaceChecked(path, text + *line, error)) return std::nullopt;
    const bool held = changeHeld(
        path,
        [&](const QList<Operator>& now) {
            const Operator* added = operatorWithToken(now, token);
            return added && added->welcome.operatorName == who.name;
        },
        error);
    if (!held) return std::nullopt;
    return token;
}

bool removeOperator(const QString& path, const QString& name, QString* error) {
    if (!isOperatorName(name)) {
        *error = nameRule();
        return false;
    }
    EditLock lock(path);
    if (!lock.take(error)) return false;
    QList<Operator> operators;
    const auto old = checkedText(path, &operators, error);
    if (!old) return false;
    QList<QByteArray> lines = old->split('\n');
    const qsizetype before = lines.size();
    lines.removeIf([&](const QByteArray& line) { return nameOnLine(line) == name; });
    if (lines.size() == before) {
        *error = QStringLiteral("no operator %1 in %2").arg(name, path);
        return false;
    }
    return replaceChecked(path, lines.join('\n'), error) &&
           changeHeld(
               path,
               [&](const QList<Operator>& now) {
                   return std::none_of(now.begin(), now.end(), [&](const Operator& op) {
                       return op.welcome.operatorName == name;
                   });
               },
               error);
}

}  // namespace jexremote
