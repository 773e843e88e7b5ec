// A game's configuration and console lines: whatever a setting holds, its
// line is one command that sets one value, and reading the value back by the
// game's rules gives the setting unchanged. The configuration writer puts
// every one of our settings on a line of its own, and the file it writes
// reads back as those same settings (no drift). The console line check lets
// no second line through. The link's game readers take any text without harm.
#include "fuzz_main.h"

#include "link/game_messages.h"
#include "remote/games/console_line.h"
#include "remote/games/settings_mapping.h"

namespace {

using jexremote::games::SettingMapping;

// The value of a quoted text read as the game reads it; empty with `broken`
// set when a quote ends it early or it does not end with its quote.
QString unquoted(const QString& quoted, QString* broken) {
    if (quoted.size() < 2 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"')) {
        *broken = QStringLiteral("not one quoted value: ") + quoted;
        return {};
    }
    QString value;
    for (qsizetype i = 1; i < quoted.size() - 1; ++i) {
        if (quoted[i] == u'\\' && (quoted[i + 1] == u'"' || quoted[i + 1] == u'\\') &&
            i + 1 < quoted.size() - 1) {
            value += quoted[++i];
        } else if (quoted[i] == u'"' || quoted[i] == u'\\') {
            *broken = QStringLiteral("a second value starts inside: ") + quoted;
            return {};
        } else {
            value += quoted[i];
        }
    }
    return value;
}

QString check(const QString& text) {
    jexlink::readGamePush(text);
    jexlink::readControlRequest(text);
    jexlink::readOutputRequest(text);
    jexlink::readCommandRequest(text);
    jexlink::readProfilesAnswer(text);

    const SettingMapping plain{.setting = "ServerName", .variable = "sv_name", .maxBytes = 63};
    const SettingMapping motd{
        .setting = "Message", .variable = "sv_motd", .maxBytes = 899, .lineBreak = "\\n"};
    const SettingMapping number{
        .setting = "Players", .variable = "sv_max_clients", .add = 1, .number = true};
    for (const SettingMapping* mapping : {&plain, &motd, &number}) {
        QString reason;
        const auto line = jexremote::games::settingLine(*mapping, text, &reason);
        if (!line) continue;
        for (const QChar c : *line)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                return QStringLiteral("a control character in the line: ") + *line;
        if (!line->startsWith(mapping->variable + u' '))
            return QStringLiteral("the line sets something else: ") + *line;
        if (mapping->number) continue;
        QString broken;
        const QString value = unquoted(line->mid(mapping->variable.size() + 1), &broken);
        if (!broken.isEmpty()) return broken;
        if (!text.contains(u'\n') && !text.contains(u'\r') && value != text)
            return QStringLiteral("the game would read another value: ") + value;
    }
    // The whole configuration from settings holding the text in each text the game takes.
    jexremote::games::GameDefinition definition;
    definition.settings = {
        plain, motd, number, {.setting = "Password", .variable = "password", .maxBytes = 31}};
    kdrsm::model::ServerSettings settings;
    for (const int field : {0, 3, 13}) settings.fields[static_cast<size_t>(field)] = text;
    settings.fields[4] = QStringLiteral("15");
    const auto mapped = jexremote::games::configurationLines(definition, settings);
    if (mapped.lines.size() + mapped.problems.size() != definition.settings.size())
        return QStringLiteral("a setting neither written nor refused");
    const QByteArray file = (mapped.lines.join(u'\n') + u'\n').toUtf8();
    if (file.count('\n') != mapped.lines.size())
        return QStringLiteral("a configuration line split in two: ") + mapped.lines.join(u'|');
    if (!jexremote::games::drift(definition, file, settings).isEmpty())
        return QStringLiteral("the written file reads back otherwise: ") + QString::fromUtf8(file);

    if (jexremote::games::commandLineFault(text).isEmpty() &&
        (text.contains(u'\n') || text.contains(u'\r')))
        return QStringLiteral("a console line with a second line let through");
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kdrsm::fuzz::runCheck(&check, data, size);
}
