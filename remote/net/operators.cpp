#include "remote/net/operators.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include "link/privilege_names.h"

namespace jexremote {

namespace {

constexpr int kFieldsPerLine = 3 + int(jexlink::kPrivilegeNames.size());

QByteArray digestOf(const QString& token) {
    return QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256);
}

bool isToken(const QString& text) {
    static const QRegularExpression kToken(QStringLiteral("^[\\x21-\\x7e]{16,256}$"));
    return kToken.match(text).hasMatch();
}

std::optional<int> wholeNumber(const QString& text) {
    static const QRegularExpression kNumber(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!kNumber.match(text).hasMatch()) return std::nullopt;
    return text.toInt();
}

}  // namespace

std::optional<QList<Operator>> parseTokenFile(const QByteArray& text, const QString& fileName,
                                              QString* error) {
    QList<QStringList> lines;
    QList<int> numbers;
    const QList<QByteArray> raw = text.split('\n');
    for (int n = 0; n < raw.size(); ++n) {
        const QString line = QString::fromUtf8(raw[n]).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        lines << line.split(QRegularExpression(QStringLiteral("\\s+")));
        numbers << n + 1;
    }
    auto fail = [&](int index, const QString& reason) {
        *error = QStringLiteral("%1:%2: %3").arg(fileName).arg(numbers.value(index)).arg(reason);
        return std::nullopt;
    };
    if (lines.isEmpty()) {
        *error = QStringLiteral("%1: no operator").arg(fileName);
        return std::nullopt;
    }

    QList<Operator> operators;
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList& fields = lines[i];
        if (!isToken(fields[0]))
            return fail(i, QStringLiteral("not a token of 16 to 256 characters"));
        Operator op{digestOf(fields[0]), {}};
        if (fields.size() == 1 && lines.size() == 1) {
            op.welcome = {QStringLiteral("admin"), true, {}, true};
            for (const char* name : jexlink::kPrivilegeNames)
                op.welcome.privileges.append({QString::fromLatin1(name), 1});
            operators << op;
            continue;
        }
        if (fields.size() != kFieldsPerLine && fields.size() != kFieldsPerLine + 1)
            return fail(i, QStringLiteral("not %1 fields (token, name, super-admin flag, five "
                                          "privileges, optionally the control of game servers)")
                               .arg(kFieldsPerLine));
        if (fields[1].size() > jexlink::kMaxOperatorNameLength)
            return fail(i, QStringLiteral("an operator name over %1 characters")
                               .arg(jexlink::kMaxOperatorNameLength));
        if (fields[2] != u"0" && fields[2] != u"1")
            return fail(i, QStringLiteral("a super-admin flag other than 0 or 1"));
        op.welcome.operatorName = fields[1];
        op.welcome.superAdmin = fields[2] == u"1";
        if (fields.size() > kFieldsPerLine && fields[kFieldsPerLine] != u"0" &&
            fields[kFieldsPerLine] != u"1")
            return fail(i, QStringLiteral("a game-server control flag other than 0 or 1"));
        op.welcome.control = op.welcome.superAdmin ||
                             (fields.size() > kFieldsPerLine && fields[kFieldsPerLine] == u"1");
        for (int p = 0; p < int(jexlink::kPrivilegeNames.size()); ++p) {
            const auto value = wholeNumber(fields[3 + p]);
            if (!value) return fail(i, QStringLiteral("a privilege value that is not a number"));
            op.welcome.privileges.append(
                {QString::fromLatin1(jexlink::kPrivilegeNames[p]), *value});
        }
        for (qsizetype j = 0; j < operators.size(); ++j) {
            if (operators[j].tokenDigest == op.tokenDigest)
                return fail(i, QStringLiteral("a token twice"));
            // Two lines of one name could not be told apart in the log or the audit trail.
            if (operators[j].welcome.operatorName == op.welcome.operatorName)
                return fail(i, QStringLiteral("operator %1 is on line %2 already")
                                   .arg(op.welcome.operatorName)
                                   .arg(numbers[j]));
        }
        operators << op;
    }
    return operators;
}

TokenFileReading inspectTokenFile(const QString& path) {
    using Trouble = TokenFileReading::Trouble;
    TokenFileReading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.trouble = file.exists() ? Trouble::Broken : Trouble::Gone;
        reading.error =
            QStringLiteral("cannot read the token file %1: %2").arg(path, file.errorString());
        return reading;
    }
    if (file.size() > kMaxTokenFileBytes) {
        reading.trouble = Trouble::Broken;
        reading.error =
            QStringLiteral("the token file %1 is over %2 bytes").arg(path).arg(kMaxTokenFileBytes);
        return reading;
    }
    const QByteArray text = file.read(kMaxTokenFileBytes);
    if (const auto operators = parseTokenFile(text, path, &reading.error)) {
        reading.operators = *operators;
    } else {
        const bool noOperator = !QString::fromUtf8(text).contains(QRegularExpression(
            QStringLiteral("^[ \\t\\r]*[^\\s#]"), QRegularExpression::MultilineOption));
        reading.trouble = noOperator ? Trouble::NoOperator : Trouble::Broken;
        return reading;
    }
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                        QFileDevice::WriteOther;
    if (file.permissions() & others) {
        reading.trouble = Trouble::OpenToOthers;
        reading.error =
            QStringLiteral("the token file %1 is open to others (chmod 600 it)").arg(path);
    }
    return reading;
}

std::optional<QList<Operator>> readTokenFile(const QString& path, QString* error) {
    auto reading = inspectTokenFile(path);
    if (reading.trouble != TokenFileReading::Trouble::None) {
        *error = reading.error;
        return std::nullopt;
    }
    return reading.operators;
}

const Operator* operatorWithToken(const QList<Operator>& operators, const QString& presented) {
    return operatorWithDigest(operators, digestOf(presented));
}

// Digests are of equal length whatever the tokens' lengths; each is compared
// whole, and no comparison stops at the first difference.
const Operator* operatorWithDigest(const QList<Operator>& operators, const QByteArray& digest) {
    const Operator* match = nullptr;
    for (const Operator& op : operators) {
        unsigned char difference = 0;
        for (int i = 0; i < digest.size(); ++i)
            difference |= static_cast<unsigned char>(digest[i] ^ op.tokenDigest[i]);
        if (difference == 0) match = &op;
    }
    return match;
}

}  // namespace jexremote
