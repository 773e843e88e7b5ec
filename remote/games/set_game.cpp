#include "remote/games/set_game.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include "remote/games/game_bindings.h"
#include "remote/games/game_supervisor.h"

namespace jexremote::games {

QString defaultGamesFolder() {
    const QDir program(QCoreApplication::applicationDirPath());
    if (program.exists(QStringLiteral("games"))) return program.filePath(QStringLiteral("games"));
    return QDir::cleanPath(program.filePath(QStringLiteral("../share/jexremote/games")));
}

QList<int> servedProfiles(const QString& stateFolder) {
    static const QRegularExpression name(QStringLiteral("^server-(0|[1-9][0-9]{0,8})\\.ini$"));
    QList<int> profiles;
    for (const QString& file :
         QDir(stateFolder).entryList({QStringLiteral("server-*.ini")}, QDir::Files)) {
        const auto match = name.match(file);
        if (match.hasMatch()) profiles << match.captured(1).toInt();
    }
    return profiles;
}

int setGame(const QString& stateFolder, const QString& gamesFolder, int profile,
            const QString& definition, int port, QTextStream& out, QTextStream& err) {
    QString error;
    const auto bindings = readBindings(stateFolder, &error);
    if (!bindings) {
        err << "jexremote: " << error << Qt::endl;
        return 1;
    }
    QStringList problems;
    QStringList known;
    for (const auto& [name, found] : readDefinitions(gamesFolder, &problems)) known << name;
    for (const QString& problem : problems) err << "jexremote: left out " << problem << Qt::endl;
    QString reason;
    const auto after = withBinding(*bindings, profile, definition, port, known,
                                   servedProfiles(stateFolder), &reason);
    if (!after) {
        err << "jexremote: --set-game refused: " << reason << Qt::endl;
        return 1;
    }
    if (const QString failure = writeBindings(stateFolder, *after); !failure.isEmpty()) {
        err << "jexremote: " << failure << Qt::endl;
        return 1;
    }
    if (definition == u"none") {
        out << "jexremote: profile " << profile << " runs no game" << Qt::endl;
    } else {
        for (const GameBinding& binding : *after)
            if (binding.profile == profile)
                out << "jexremote: profile " << profile << " runs " << definition << " on port "
                    << binding.port << " from its next start" << Qt::endl;
    }
    return 0;
}

}  // namespace jexremote::games
