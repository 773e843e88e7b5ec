#include "host/games/game_description.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace jexhost::games {

namespace {

// "3rd", "11th", "22nd".
QString ordinal(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        if (last == 1) suffix = "st";
        if (last == 2) suffix = "nd";
        if (last == 3) suffix = "rd";
    }
    return QString::number(n) + QLatin1String(suffix);
}

// The remote side counts in digits ("5 times"); a person reads small counts as words.
QString countsInWords(QString text) {
    static const QStringList words{"two",   "three", "four", "five", "six",
                                   "seven", "eight", "nine", "ten"};
    static const QRegularExpression times(QStringLiteral("\\b([2-9]|10) times\\b"));
    const auto match = times.match(text);
    if (match.hasMatch())
        text.replace(match.capturedStart(1), match.capturedLength(1),
                     words.at(match.captured(1).toInt() - 2));
    return text;
}

QString pendingText(const QString& pending) {
    if (pending.isEmpty()) return {};
    return QStringLiteral(", %1 when empty").arg(pending);
}

}  // namespace

QString describeSpan(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    if (seconds < 60) return QStringLiteral("%1 s").arg(seconds);
    const qint64 minutes = seconds / 60;
    if (minutes < 60) return QStringLiteral("%1 min").arg(minutes);
    const qint64 hours = minutes / 60;
    if (hours < 24) return QStringLiteral("%1 h %2 min").arg(hours).arg(minutes % 60);
    return QStringLiteral("%1 d %2 h").arg(hours / 24).arg(hours % 24);
}

QString describeGame(const jexlink::GameStatus& game, const QDateTime& now,
                     const QDateTime& restartDue) {
    const QString& state = game.state;
    if (state == u"running") {
        const QDateTime since = QDateTime::fromString(game.since, Qt::ISODateWithMs);
        const QString running = since.isValid()
                                    ? QStringLiteral("running ") + describeSpan(since.secsTo(now))
                                    : QStringLiteral("running");
        return running + pendingText(game.pending);
    }
    if (state == u"crashed") {
        const QString which = ordinal(game.restarts + 1);
        if (restartDue.isValid() && now < restartDue)
            return QStringLiteral("crashed, restart in %1 (%2)")
                .arg(describeSpan((now.msecsTo(restartDue) + 999) / 1000), which);
        return QStringLiteral("crashed, restarting (%1)").arg(which);
    }
    if (state == u"failed")
        return game.lastExit.isEmpty() ? QStringLiteral("failed")
                                       : QStringLiteral("failed: ") + countsInWords(game.lastExit);
    return state + pendingText(game.pending);  // starting, stopping, stopped
}

QString describePlayers(const jexlink::GameStatus& game) {
    if (!game.players) return {};
    if (!game.maxPlayers) return QString::number(*game.players);
    return QStringLiteral("%1/%2").arg(*game.players).arg(*game.maxPlayers);
}

}  // namespace jexhost::games
