#include "remote/games/game_bindings.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "jex/durable_file.h"

namespace jexremote::games {

namespace {

constexpr qint64 kMaxBindingsBytes = 1024 * 1024;

bool isPort(qint64 port) {
    return port >= 1 && port <= 65535;
}

}  // namespace

QString bindingsFile(const QString& stateFolder) {
    return QDir(stateFolder).filePath(QStringLiteral("games.json"));
}

std::optional<QList<GameBinding>> readBindings(const QString& stateFolder, QString* error) {
    const QString path = bindingsFile(stateFolder);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return QList<GameBinding>();
    const auto bytes = jex::fs::readRegularFile(path, kMaxBindingsBytes, error);
    if (!bytes) return std::nullopt;
    const auto refuse = [&](const QString& why) -> std::optional<QList<GameBinding>> {
        *error = path + QStringLiteral(": ") + why;
        return std::nullopt;
    };
    if (bytes->size() > kMaxBindingsBytes) return refuse(QStringLiteral("larger than 1 MiB"));
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    const QJsonValue list = document.object().value(QStringLiteral("bindings"));
    if (!list.isArray() || list.toArray().size() > kMaxBindings)
        return refuse(QStringLiteral("not a list of at most %1 bindings").arg(kMaxBindings));
    QList<GameBinding> out;
    QSet<int> profiles, ports;
    for (const QJsonValue& item : list.toArray()) {
        const QJsonObject object = item.toObject();
        const qint64 profile = object.value(QStringLiteral("profile")).toInteger(-1);
        const qint64 port = object.value(QStringLiteral("port")).toInteger(-1);
        const QString definition = object.value(QStringLiteral("definition")).toString();
        if (profile < 0 || profile > INT_MAX || !isPort(port) || definition.isEmpty() ||
            definition.size() > 64)
            return refuse(QStringLiteral("binding %1 is not a profile, a definition and a port")
                              .arg(out.size() + 1));
        if (profiles.contains(int(profile)) || ports.contains(int(port)))
            return refuse(
                QStringLiteral("profile %1 or port %2 bound twice").arg(profile).arg(port));
        profiles.insert(int(profile));
        ports.insert(int(port));
        out.append({int(profile), definition, int(port)});
    }
    return out;
}

QString writeBindings(const QString& stateFolder, const QList<GameBinding>& bindings) {
    QJsonArray list;
    for (const GameBinding& binding : bindings)
        list.append(QJsonObject{{"profile", binding.profile},
                                {"definition", binding.definition},
                                {"port", binding.port}});
    const QByteArray bytes = QJsonDocument(QJsonObject{{"bindings", list}}).toJson();
    if (const auto failure = jex::fs::writeFileDurably(bindingsFile(stateFolder), bytes))
        return failure->text;
    return {};
}

std::optional<QList<GameBinding>> withBinding(const QList<GameBinding>& bindings, int profile,
                                              const QString& definition, int port,
                                              const QStringList& knownDefinitions,
                                              const QList<int>& servedProfiles, QString* reason) {
    const auto refuse = [reason](const QString& why) -> std::optional<QList<GameBinding>> {
        *reason = why;
        return std::nullopt;
    };
    if (!servedProfiles.contains(profile))
        return refuse(
            QStringLiteral("profile %1 is not a server of this state folder").arg(profile));
    QList<GameBinding> out;
    for (const GameBinding& binding : bindings)
        if (binding.profile != profile) out.append(binding);
    if (definition == u"none") return out;
    if (!knownDefinitions.contains(definition))
        return refuse(QStringLiteral("no game definition named \"%1\" (known: %2)")
                          .arg(definition, knownDefinitions.join(QStringLiteral(", "))));
    const int chosen = port != 0 ? port : kDefaultGamePort + profile;
    if (!isPort(chosen)) return refuse(QStringLiteral("port %1 is not a port").arg(chosen));
    for (const GameBinding& binding : out)
        if (binding.port == chosen)
            return refuse(
                QStringLiteral("port %1 is profile %2's").arg(chosen).arg(binding.profile));
    out.append({profile, definition, chosen});
    return out;
}

}  // namespace jexremote::games
