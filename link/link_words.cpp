#include "link/link_words.h"

#include <QRegularExpression>

namespace jexlink {

namespace {

QString countedWord(LimitedKind kind) {
    return kind == LimitedKind::Updates ? QStringLiteral("updates")
                                        : QStringLiteral("history requests");
}

}  // namespace

QString rateLimitReason(const QString& operatorName, LimitedKind kind, int perSecond) {
    return QStringLiteral("operator %1: too many %2 (the limit is %3 a second); try again shortly")
        .arg(operatorName, countedWord(kind))
        .arg(perSecond);
}

bool isRateLimitReason(const QString& reason) {
    static const QRegularExpression kWhole(
        QStringLiteral("^operator .*: too many (updates|history requests) "
                       "\\(the limit is [0-9]+ a second\\); try again shortly$"),
        QRegularExpression::DotMatchesEverythingOption);
    return kWhole.match(reason).hasMatch();
}

}  // namespace jexlink
