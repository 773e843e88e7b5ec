#include "remote/games/game_definition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <csignal>

#include "exchange/model/setting_names.h"

namespace jexremote::games {

namespace {

// A problem found while reading, with where it is.
struct Bad {
    QString text;
};

const QSet<QString>& knownPlaceholders() {
    static const QSet<QString> names{QStringLiteral("{port}"), QStringLiteral("{consolePort}"),
                                     QStringLiteral("{consolePassword}"),
                                     QStringLiteral("{configFile}")};
    return names;
}

// Every {...} in `text` is one the runner fills in.
void checkPlaceholders(const QString& text, const QString& where) {
    static const QRegularExpression brace(QStringLiteral("\\{[^}]*\\}?"));
    for (auto it = brace.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured();
        if (!knownPlaceholders().contains(found))
            throw Bad{QStringLiteral("%1: unknown placeholder %2").arg(where, found)};
    }
}

// A game variable's name: what its console takes as a command word.
bool isVariableName(const QString& name) {
    static const QRegularExpression word(QStringLiteral("^[a-z][a-z0-9_]{0,63}$"));
    return word.match(name).hasMatch();
}

QString text(const QJsonObject& object, const char* key, const QString& where,
             bool required = true) {
    const QJsonValue value = object.value(QLatin1StringView(key));
    if (value.isUndefined() && !required) return {};
    if (!value.isString() || (required && value.toString().isEmpty()))
        throw Bad{QStringLiteral("%1%2: a text is needed").arg(where, QLatin1StringView(key))};
    return value.toString();
}

int whole(const QJsonObject& object, const char* key, int fallback, int low, int high,
          const QString& where) {
    const QJsonValue value = object.value(QLatin1StringView(key));
    if (value.isUndefined()) return fallback;
    const double number = value.toDouble(-1e18);
    if (!value.isDouble() || number != static_cast<int>(number) || number < low || number > high)
        throw Bad{QStringLiteral("%1%2: a whole number from %3 to %4 is needed")
                      .arg(where, QLatin1StringView(key))
                      .arg(low)
                      .arg(high)};
    return static_cast<int>(number);
}

QStringList texts(const QJsonValue& value, const QString& where, int most) {
    if (!value.isArray()) throw Bad{where + QStringLiteral(": a list of texts is needed")};
    const QJsonArray array = value.toArray();
    if (array.size() > most)
        throw Bad{QStringLiteral("%1: more than %2 entries").arg(where).arg(most)};
    QStringList out;
    for (const QJsonValue& item : array) {
        if (!item.isString()) throw Bad{where + QStringLiteral(": a list of texts is needed")};
        out << item.toString();
    }
    return out;
}

int signalNamed(const QString& name) {
    if (name == u"TERM") return SIGTERM;
    if (name == u"INT") return SIGINT;
    if (name == u"HUP") return SIGHUP;
    if (name == u"QUIT") return SIGQUIT;
    throw Bad{QStringLiteral("stop.signal: one of TERM, INT, HUP, QUIT is needed")};
}

void readConfig(const QJsonObject& config, GameDefinition& out) {
    out.configFile = text(config, "file", QStringLiteral("config."));
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.-]{0,63}$"));
    if (!plainName.match(out.configFile).hasMatch() || out.configFile.contains(u".."))
        throw Bad{
            QStringLiteral("config.file: a plain file name inside the game's folder is needed")};
    if (text(config, "quoting", QStringLiteral("config.")) != u"teeworlds")
        throw Bad{QStringLiteral("config.quoting: \"teeworlds\" is the quoting known")};
    const QJsonValue fixed = config.value(QLatin1StringView("fixed"));
    if (fixed.isUndefined()) return;
    if (!fixed.isArray() || fixed.toArray().size() > kMaxFixedLines)
        throw Bad{QStringLiteral("config.fixed: a list of at most %1 [variable, value] pairs")
                      .arg(kMaxFixedLines)};
    int index = 0;
    for (const QJsonValue& pair : fixed.toArray()) {
        const QString where = QStringLiteral("config.fixed[%1]").arg(index++);
        const QStringList both = texts(pair, where, 2);
        if (both.size() != 2 || !isVariableName(both[0]))
            throw Bad{where + QStringLiteral(": a [variable, value] pair is needed")};
        checkPlaceholders(both[1], where);
        out.fixedLines.append({both[0], both[1]});
    }
}

SettingMapping readMapping(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) throw Bad{where + QStringLiteral(": an object is needed")};
    const QJsonObject object = value.toObject();
    SettingMapping mapping;
    mapping.setting = text(object, "setting", where + u'.');
    if (kdrsm::model::fieldOfKey(mapping.setting) < 0)
        throw Bad{QStringLiteral("%1: unknown setting \"%2\"").arg(where, mapping.setting)};
    mapping.variable = text(object, "variable", where + u'.');
    if (!isVariableName(mapping.variable))
        throw Bad{QStringLiteral("%1: \"%2\" is not a variable name").arg(where, mapping.variable)};
    mapping.live = object.value(QLatin1StringView("live")).toBool(false);
    mapping.add = whole(object, "add", 0, -1000000, 1000000, where + u'.');
    mapping.number = object.contains(QLatin1StringView("add")) ||
                     object.value(QLatin1StringView("number")).toBool(false);
    mapping.maxBytes = whole(object, "maxBytes", 0, 0, 65536, where + u'.');
    mapping.lineBreak = text(object, "lineBreak", where + u'.', false);
    if (mapping.lineBreak.contains(u'\n') || mapping.lineBreak.contains(u'\r') ||
        mapping.lineBreak.size() > 8)
        throw Bad{where + QStringLiteral(".lineBreak: at most 8 characters, no line break")};
    return mapping;
}

GameDefinition readObject(const QJsonObject& root, const QString& fileBaseName) {
    GameDefinition out;
    out.name = text(root, "name", {});
    if (out.name != fileBaseName)
        throw Bad{QStringLiteral("name: \"%1\" differs from the file's name \"%2\"")
                      .arg(out.name, fileBaseName)};
    out.title = text(root, "title", {}, false);
    out.program = text(root, "program", {});
    if (!out.program.startsWith(u'/'))
        throw Bad{QStringLiteral("program: an absolute path is needed")};
    out.arguments = texts(root.value(QLatin1StringView("arguments")), QStringLiteral("arguments"),
                          kMaxArguments);
    for (const QString& argument : out.arguments)
        checkPlaceholders(argument, QStringLiteral("arguments"));
    readConfig(root.value(QLatin1StringView("config")).toObject(), out);

    const QJsonObject ready = root.value(QLatin1StringView("ready")).toObject();
    out.readyLine = QRegularExpression(text(ready, "line", QStringLiteral("ready.")));
    if (!out.readyLine.isValid())
        throw Bad{QStringLiteral("ready.line: not a regular expression: ") +
                  out.readyLine.errorString()};
    out.readySeconds = whole(ready, "seconds", 20, 1, 600, QStringLiteral("ready."));

    const QJsonObject stop = root.value(QLatin1StringView("stop")).toObject();
    out.stopCommand = text(stop, "command", QStringLiteral("stop."), false);
    if (!out.stopCommand.isEmpty() && !isVariableName(out.stopCommand))
        throw Bad{QStringLiteral("stop.command: one console word is needed")};
    out.graceSeconds = whole(stop, "graceSeconds", 5, 0, 600, QStringLiteral("stop."));
    out.stopSignal = signalNamed(text(stop, "signal", QStringLiteral("stop."), false).isEmpty()
                                     ? QStringLiteral("TERM")
                                     : stop.value(QLatin1StringView("signal")).toString());
    out.signalSeconds = whole(stop, "signalSeconds", 3, 0, 600, QStringLiteral("stop."));

    out.query = text(root, "query", {}, false);
    if (!out.query.isEmpty() && out.query != u"teeworlds-0.7")
        throw Bad{QStringLiteral("query: \"teeworlds-0.7\" is the query known")};
    const QJsonObject console = root.value(QLatin1StringView("console")).toObject();
    out.consoleKind = text(console, "kind", QStringLiteral("console."), false);
    if (!out.consoleKind.isEmpty() && out.consoleKind != u"econ")
        throw Bad{QStringLiteral("console.kind: \"econ\" is the console known")};
    out.consolePort = text(console, "port", QStringLiteral("console."), !out.consoleKind.isEmpty());
    checkPlaceholders(out.consolePort, QStringLiteral("console.port"));

    const QJsonValue secrets = root.value(QLatin1StringView("secretVariables"));
    if (!secrets.isUndefined()) {
        out.secretVariables = texts(secrets, QStringLiteral("secretVariables"), 64);
        for (const QString& variable : out.secretVariables)
            if (!isVariableName(variable))
                throw Bad{
                    QStringLiteral("secretVariables: \"%1\" is not a variable name").arg(variable)};
    }

    // Every setting of ours once: mapped or named unused.
    QSet<QString> seen;
    const auto once = [&seen](const QString& key, const QString& where) {
        if (seen.contains(key))
            throw Bad{QStringLiteral("%1: setting \"%2\" named twice").arg(where, key)};
        seen.insert(key);
    };
    const QJsonArray settings = root.value(QLatin1StringView("settings")).toArray();
    for (int i = 0; i < settings.size(); ++i) {
        const QString where = QStringLiteral("settings[%1]").arg(i);
        out.settings << readMapping(settings[i], where);
        once(out.settings.last().setting, where);
    }
    out.unused = texts(root.value(QLatin1StringView("unused")), QStringLiteral("unused"), 64);
    const QStringList keys = settingKeysToCover();
    for (const QString& key : out.unused) {
        if (!keys.contains(key))
            throw Bad{QStringLiteral("unused: unknown setting \"%1\"").arg(key)};
        once(key, QStringLiteral("unused"));
    }
    for (const QString& key : keys)
        if (!seen.contains(key))
            throw Bad{
                QStringLiteral("settings: \"%1\" is neither mapped nor named unused").arg(key)};
    return out;
}

}  // namespace

const SettingMapping* GameDefinition::mappingOf(const QString& setting) const {
    for (const SettingMapping& mapping : settings)
        if (mapping.setting == setting) return &mapping;
    return nullptr;
}

QStringList settingKeysToCover() {
    QStringList keys;
    for (int field = 0; field < kdrsm::model::kSettingCount; ++field)
        keys << kdrsm::model::settingKey(field);
    keys << QString::fromLatin1(kdrsm::model::kRolesKey)
         << QString::fromLatin1(kdrsm::model::kWeaponsKey);
    return keys;
}

std::optional<GameDefinition> readGameDefinition(const QByteArray& json,
                                                 const QString& fileBaseName, QString* error) {
    try {
        if (json.size() > kMaxDefinitionBytes)
            throw Bad{QStringLiteral("larger than %1 bytes").arg(kMaxDefinitionBytes)};
        QJsonParseError parse;
        const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
        if (parse.error != QJsonParseError::NoError)
            throw Bad{QStringLiteral("not JSON at offset %1: %2")
                          .arg(parse.offset)
                          .arg(parse.errorString())};
        if (!document.isObject()) throw Bad{QStringLiteral("not a JSON object")};
        return readObject(document.object(), fileBaseName);
    } catch (const Bad& bad) {
        if (error) *error = bad.text;
        return std::nullopt;
    }
}

}  // namespace jexremote::games
