#include "remote/games/settings_mapping.h"

#include <QHash>

#include "exchange/model/setting_names.h"
#include "remote/games/console_line.h"

namespace jexremote::games {

namespace {

QString captionOf(const QString& key) {
    return kdrsm::model::captionWords(kdrsm::model::labelOfKey(key));
}

const QString& storedValue(const kdrsm::model::ServerSettings& settings, const QString& key) {
    return settings.fields.at(static_cast<size_t>(kdrsm::model::fieldOfKey(key)));
}

// The last value each variable gets in a configuration file: `name value`
// lines, the value quoted or bare, `#` comments and blank lines skipped.
QHash<QString, QString> valuesIn(const QByteArray& configuration) {
    QHash<QString, QString> values;
    for (const QByteArray& raw : configuration.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const qsizetype blank = line.indexOf(u' ');
        if (blank < 0) continue;
        values.insert(line.left(blank), line.mid(blank + 1).trimmed());
    }
    return values;
}

// A value as the game holds it: quotes and their escapes read.
QString plainValue(const QString& written) {
    if (written.size() < 2 || !written.startsWith(u'"') || !written.endsWith(u'"')) return written;
    QString out;
    for (qsizetype i = 1; i < written.size() - 1; ++i) {
        if (written[i] == u'\\' && i + 2 < written.size()) ++i;
        out += written[i];
    }
    return out;
}

}  // namespace

MappedLines configurationLines(const GameDefinition& definition,
                               const kdrsm::model::ServerSettings& settings) {
    MappedLines out;
    for (const SettingMapping& mapping : definition.settings) {
        QString reason;
        if (const auto line = settingLine(mapping, storedValue(settings, mapping.setting), &reason))
            out.lines << *line;
        else
            out.problems.append({captionOf(mapping.setting), reason});
    }
    return out;
}

LiveChange liveChange(const GameDefinition& definition, const kdrsm::model::ServerSettings& before,
                      const kdrsm::model::ServerSettings& after) {
    LiveChange out;
    for (const SettingMapping& mapping : definition.settings) {
        const QString& now = storedValue(after, mapping.setting);
        if (storedValue(before, mapping.setting) == now) continue;
        if (!mapping.live) {
            out.restartNeeded << captionOf(mapping.setting);
            continue;
        }
        QString reason;
        if (const auto line = settingLine(mapping, now, &reason)) {
            out.lines << *line;
            out.variables << mapping.variable;
            out.captions << captionOf(mapping.setting);
            out.expected << plainValue(line->mid(mapping.variable.size() + 1));
        } else {
            out.problems.append({captionOf(mapping.setting), reason});
        }
    }
    return out;
}

QStringList drift(const GameDefinition& definition, const QByteArray& configuration,
                  const kdrsm::model::ServerSettings& settings) {
    const QHash<QString, QString> values = valuesIn(configuration);
    QStringList out;
    for (const SettingMapping& mapping : definition.settings) {
        const auto line = settingLine(mapping, storedValue(settings, mapping.setting), nullptr);
        const QString ours = line ? plainValue(line->mid(mapping.variable.size() + 1)) : QString();
        if (plainValue(values.value(mapping.variable)) != ours) out << captionOf(mapping.setting);
    }
    return out;
}

}  // namespace jexremote::games
