#include "remote/store/state_file.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"
#include "jex/durable_file.h"
#include "remote/store/value_escapes.h"
#include "remote/validation/field_rules.h"
#include "remote/validation/settings_check.h"

namespace jexremote {

namespace {

const char* const kSettings = "Settings";
const char* const kRoles = "Roles";
const char* const kWeapons = "Weapons";
const char* const kOptions = "Options";
const char* const kAutoLoad = "AutoLoad";

// Blanks an INI reader trims: ASCII only, so a value's other spaces stay.
QByteArray trimmedAscii(QByteArray text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.mid(first, last - first);
}

// One key=value line.
struct Entry {
    QString key;
    QString value;
    int line = 0;
};

// A section's entries in file order, found by key at once: a state file may
// hold thousands of weapons.
struct Section {
    int line = 0;
    QList<Entry> entries;
    QHash<QString, qsizetype> byKey;
};

// The file read once: its sections with their entries, or the first line that
// is none of a section, a key=value pair, a comment or a blank line, or
// repeats a section or a key.
struct ParsedFile {
    QHash<QString, Section> sections;
    int badLine = 0;
    QString badReason;

    const Entry* find(const QString& section, const QString& key) const {
        const auto it = sections.constFind(section);
        if (it == sections.cend()) return nullptr;
        const qsizetype at = it->byKey.value(key, -1);
        return at < 0 ? nullptr : &it->entries[at];
    }
    QList<Entry> entries(const QString& section) const { return sections.value(section).entries; }
};

ParsedFile parseLines(const QByteArray& text) {
    ParsedFile file;
    Section* section = nullptr;
    qsizetype from = 0;
    for (int number = 1; from <= text.size(); ++number) {
        qsizetype end = text.indexOf('\n', from);
        if (end < 0) end = text.size();
        QByteArray line = trimmedAscii(text.mid(from, end - from));
        from = end + 1;
        if (number == 1 && line.startsWith("\xEF\xBB\xBF")) line = trimmedAscii(line.mid(3));
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            const QString name = QString::fromUtf8(trimmedAscii(line.mid(1, line.size() - 2)));
            if (file.sections.contains(name)) {
                file.badLine = number;
                file.badReason = QStringLiteral("section [%1] twice").arg(name);
                return file;
            }
            section = &file.sections[name];
            section->line = number;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const QString key = QString::fromUtf8(trimmedAscii(line.left(equals)));
        if (equals <= 0 || key.isEmpty() || !section) {
            file.badLine = number;
            file.badReason = QStringLiteral("not a key=value line of a section");
            return file;
        }
        if (section->byKey.contains(key)) {
            file.badLine = number;
            file.badReason = QStringLiteral("key %1 twice").arg(key);
            return file;
        }
        section->byKey.insert(key, section->entries.size());
        section->entries.append(
            {key, QString::fromUtf8(trimmedAscii(line.mid(equals + 1))), number});
    }
    return file;
}

QString refusal(const QString& file, int line, const QString& setting, const QString& reason) {
    return QStringLiteral("%1:%2: setting %3: %4").arg(file).arg(line).arg(setting, reason);
}

// Reads one section's restriction list; the reason and the line of the
// first bad entry otherwise.
struct ListRead {
    QList<Restriction> entries;
    QString reason;
    int line = 0;
};

ListRead readRestrictions(const ParsedFile& file, const char* section) {
    ListRead read;
    for (const Entry& entry : file.entries(QString::fromLatin1(section))) {
        read.line = entry.line;
        if (const QString reason = restrictionNameFault(entry.key); !reason.isEmpty()) {
            read.reason = reason;
            return read;
        }
        if (entry.value != u"0" && entry.value != u"1") {
            read.reason = QStringLiteral("%1 is not 0 or 1").arg(entry.key);
            return read;
        }
        read.entries.append({entry.key, entry.value == u"1"});
    }
    read.line = 0;
    return read;
}

// A "[name]" section of restrictions, "name = 0|1" a line, after two blank
// lines; none when the list is empty. A name listed twice keeps its first
// place and takes its later flag, as the INI files of earlier releases did.
void appendRestrictions(QByteArray& text, const char* section, const QList<Restriction>& list) {
    if (list.isEmpty()) return;
    text += "\n\n[";
    text += section;
    text += "]\n";
    QHash<QString, bool> flags;
    flags.reserve(list.size());
    for (const Restriction& entry : list) flags.insert(entry.name, entry.restricted);
    for (const Restriction& entry : list) {
        const auto flag = flags.constFind(entry.name);
        if (flag == flags.cend()) continue;  // written at its first place
        text += entry.name.toUtf8();
        text += " = ";
        text += kdrsm::model::flagText(*flag).toLatin1();
        text += '\n';
        flags.erase(flag);
    }
}

}  // namespace

QString stateFilePath(const QString& folder, int profile) {
    return QDir(folder).filePath(QStringLiteral("server-%1.ini").arg(profile));
}

// Laid out as the INI files of earlier releases: "key = value" lines, the
// sections in a fixed order with two blank lines before each but the first.
QByteArray stateFileText(const ServerSettings& settings) {
    QByteArray text;
    text.reserve(1024 + 32 * (settings.roles.size() + settings.weapons.size()));
    text += '[';
    text += kSettings;
    text += "]\n";
    for (int i = 0; i < kdrsm::wire::kSettingCount; ++i) {
        text += kdrsm::model::settingKey(i).toUtf8();
        text += " = ";
        text += escapeValue(settings.fields[i]).toUtf8();
        text += '\n';
    }
    appendRestrictions(text, kRoles, settings.roles);
    appendRestrictions(text, kWeapons, settings.weapons);
    text += "\n\n[";
    text += kOptions;
    text += "]\n";
    text += kAutoLoad;
    text += " = ";
    text += kdrsm::model::flagText(settings.autoLoad).toLatin1();
    text += '\n';
    return text;
}

std::variant<ServerSettings, QString> parseStateFile(const QByteArray& text,
                                                     const QString& fileName) {
    const ParsedFile file = parseLines(text);
    if (file.badLine != 0)
        return refusal(fileName, file.badLine, QStringLiteral("-"), file.badReason);
    for (auto it = file.sections.cbegin(); it != file.sections.cend(); ++it) {
        const QString& section = it.key();
        if (section != kSettings && section != kRoles && section != kWeapons && section != kOptions)
            return refusal(fileName, it->line, section, QStringLiteral("unknown section"));
    }

    ServerSettings settings;
    const QString settingsSection = QString::fromLatin1(kSettings);
    for (const Entry& entry : file.entries(settingsSection))
        if (kdrsm::model::fieldOfKey(entry.key) < 0)
            return refusal(fileName, entry.line, entry.key, QStringLiteral("unknown setting"));
    for (int i = 0; i < kdrsm::wire::kSettingCount; ++i) {
        const QString name = kdrsm::model::settingKey(i);
        const Entry* entry = file.find(settingsSection, name);
        if (!entry) return refusal(fileName, 0, name, QStringLiteral("missing"));
        const auto value = unescapeValue(entry->value);
        if (!value)
            return refusal(fileName, entry->line, name, QStringLiteral("a bad backslash escape"));
        const QString reason = fieldFault(i, *value);
        if (!reason.isEmpty()) return refusal(fileName, entry->line, name, reason);
        settings.fields[i] = *value;
    }

    for (const char* section : {kRoles, kWeapons}) {
        ListRead read = readRestrictions(file, section);
        if (!read.reason.isEmpty())
            return refusal(fileName, read.line, QString::fromLatin1(section), read.reason);
        (section == kRoles ? settings.roles : settings.weapons) = read.entries;
    }

    const Entry* autoLoad =
        file.find(QString::fromLatin1(kOptions), QString::fromLatin1(kAutoLoad));
    if (!autoLoad)
        return refusal(fileName, 0, QString::fromLatin1(kAutoLoad), QStringLiteral("missing"));
    if (autoLoad->value != u"0" && autoLoad->value != u"1")
        return refusal(fileName, autoLoad->line, QString::fromLatin1(kAutoLoad),
                       QStringLiteral("not 0 or 1"));
    settings.autoLoad = autoLoad->value == u"1";

    // Counts and the like: what is left of the rules, named by section.
    if (const auto fault = checkSettings(settings))
        return refusal(fileName, file.sections.value(fault->setting).line, fault->setting,
                       fault->reason);
    return settings;
}

std::variant<ServerSettings, QString> readStateFile(const QString& path) {
    QString error;
    const auto text = jex::fs::readRegularFile(path, kMaxStateFileBytes + 1, &error);
    if (!text) return error;
    if (text->size() > kMaxStateFileBytes)
        return QStringLiteral("%1: larger than %2 bytes").arg(path).arg(kMaxStateFileBytes);
    return parseStateFile(*text, path);
}

bool writeStateFile(const QString& path, const ServerSettings& settings, QString* error) {
    return writeStateText(path, stateFileText(settings), error);
}

bool writeStateText(const QString& path, const QByteArray& text, QString* error) {
    if (const auto failure = jex::fs::writeFileDurably(path, text)) {
        *error = failure->text;
        return false;
    }
    return true;
}

}  // namespace jexremote
