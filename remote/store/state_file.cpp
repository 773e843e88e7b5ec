#include "remote/store/state_file.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QHash>

// UTF-8 is kept as bytes: no conversion layer.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <sys/stat.h>

#include <string>

#include "exchange/model/setting_names.h"
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

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// Where each key stands in the file, and the first line that is none of a
// section, a key=value pair, a comment or a blank line, or repeats a key.
struct LineIndex {
    QHash<QString, int> lines;  // "Section/Key" -> line number
    QHash<QString, int> sections;
    int badLine = 0;
    QString badReason;
};

LineIndex indexLines(const QByteArray& text) {
    LineIndex index;
    QString section;
    const QList<QByteArray> lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        QString line = QString::fromUtf8(lines[n]).trimmed();
        if (n == 0 && line.startsWith(QChar(0xFEFF))) line = line.mid(1).trimmed();
        const int number = n + 1;
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            if (index.sections.contains(section)) {
                index.badLine = number;
                index.badReason = QStringLiteral("section [%1] twice").arg(section);
                return index;
            }
            index.sections.insert(section, number);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        const QString key = line.left(equals).trimmed();
        if (equals <= 0 || key.isEmpty() || section.isEmpty()) {
            index.badLine = number;
            index.badReason = QStringLiteral("not a key=value line of a section");
            return index;
        }
        const QString path = section + u'/' + key;
        if (index.lines.contains(path)) {
            index.badLine = number;
            index.badReason = QStringLiteral("key %1 twice").arg(key);
            return index;
        }
        index.lines.insert(path, number);
    }
    return index;
}

QString refusal(const QString& file, int line, const QString& setting, const QString& reason) {
    return QStringLiteral("%1:%2: setting %3: %4").arg(file).arg(line).arg(setting, reason);
}

// The keys of a section in file order.
QStringList keysInOrder(const CSimpleIniCaseA& ini, const char* section) {
    CSimpleIniCaseA::TNamesDepend keys;
    ini.GetAllKeys(section, keys);
    keys.sort(CSimpleIniCaseA::Entry::LoadOrder());
    QStringList names;
    for (const auto& key : keys) names << QString::fromUtf8(key.pItem);
    return names;
}

// Reads one section's restriction list; the reason and the line of the
// first bad entry otherwise.
struct ListRead {
    QList<Restriction> entries;
    QString reason;
    int line = 0;
};

ListRead readRestrictions(const CSimpleIniCaseA& ini, const char* section, const LineIndex& index) {
    ListRead read;
    const QString name = QString::fromLatin1(section);
    for (const QString& key : keysInOrder(ini, section)) {
        const QString value = QString::fromUtf8(ini.GetValue(section, key.toUtf8().constData()));
        const QString reason = restrictionNameFault(key);
        read.line = index.lines.value(name + u'/' + key);
        if (!reason.isEmpty()) {
            read.reason = reason;
            return read;
        }
        if (value != u"0" && value != u"1") {
            read.reason = QStringLiteral("%1 is not 0 or 1").arg(key);
            return read;
        }
        read.entries.append({key, value == u"1"});
    }
    read.line = 0;
    return read;
}

}  // namespace

QString stateFilePath(const QString& folder, int profile) {
    return QDir(folder).filePath(QStringLiteral("server-%1.ini").arg(profile));
}

QByteArray stateFileText(const ServerSettings& settings) {
    CSimpleIniCaseA ini(true);
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i)
        ini.SetValue(kSettings, kdrsm::model::settingKey(i).toUtf8().constData(),
                     escapeValue(settings.fields[i]).toUtf8().constData());
    for (const Restriction& role : settings.roles)
        ini.SetValue(kRoles, role.name.toUtf8().constData(), flag(role.restricted).toLatin1());
    for (const Restriction& weapon : settings.weapons)
        ini.SetValue(kWeapons, weapon.name.toUtf8().constData(),
                     flag(weapon.restricted).toLatin1());
    ini.SetValue(kOptions, kAutoLoad, flag(settings.autoLoad).toLatin1());
    std::string text;
    ini.Save(text);
    return QByteArray::fromStdString(text);
}

std::variant<ServerSettings, QString> parseStateFile(const QByteArray& text,
                                                     const QString& fileName) {
    const LineIndex index = indexLines(text);
    if (index.badLine != 0)
        return refusal(fileName, index.badLine, QStringLiteral("-"), index.badReason);
    for (auto it = index.sections.cbegin(); it != index.sections.cend(); ++it) {
        const QString& section = it.key();
        if (section != kSettings && section != kRoles && section != kWeapons && section != kOptions)
            return refusal(fileName, it.value(), section, QStringLiteral("unknown section"));
    }

    CSimpleIniCaseA ini(true);
    if (ini.LoadData(text.constData(), size_t(text.size())) < 0)
        return refusal(fileName, 0, QStringLiteral("-"), QStringLiteral("not an INI file"));

    ServerSettings settings;
    const QString settingsSection = QString::fromLatin1(kSettings);
    for (const QString& key : keysInOrder(ini, kSettings))
        if (kdrsm::model::fieldOfKey(key) < 0)
            return refusal(fileName, index.lines.value(settingsSection + u'/' + key), key,
                           QStringLiteral("unknown setting"));
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i) {
        const QString name = kdrsm::model::settingKey(i);
        const int line = index.lines.value(settingsSection + u'/' + name);
        const char* raw = ini.GetValue(kSettings, name.toUtf8().constData());
        if (!raw) return refusal(fileName, 0, name, QStringLiteral("missing"));
        const auto value = unescapeValue(QString::fromUtf8(raw));
        if (!value) return refusal(fileName, line, name, QStringLiteral("a bad backslash escape"));
        const QString reason = fieldFault(i, *value);
        if (!reason.isEmpty()) return refusal(fileName, line, name, reason);
        settings.fields[i] = *value;
    }

    for (const char* section : {kRoles, kWeapons}) {
        ListRead read = readRestrictions(ini, section, index);
        if (!read.reason.isEmpty())
            return refusal(fileName, read.line, QString::fromLatin1(section), read.reason);
        (section == kRoles ? settings.roles : settings.weapons) = read.entries;
    }

    const QString autoLoad = QString::fromUtf8(ini.GetValue(kOptions, kAutoLoad, ""));
    const int autoLoadLine = index.lines.value(QStringLiteral("Options/AutoLoad"));
    if (autoLoad != u"0" && autoLoad != u"1")
        return refusal(fileName, autoLoadLine, QString::fromLatin1(kAutoLoad),
                       autoLoadLine ? QStringLiteral("not 0 or 1") : QStringLiteral("missing"));
    settings.autoLoad = autoLoad == u"1";

    // Counts and the like: what is left of the rules, named by section.
    if (const auto fault = checkSettings(settings))
        return refusal(fileName, index.sections.value(fault->setting), fault->setting,
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
    if (const auto failure = jex::fs::writeFileDurably(path, stateFileText(settings))) {
        *error = failure->text;
        return false;
    }
    return true;
}

}  // namespace jexremote
