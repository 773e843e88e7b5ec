#include "host/sync/sync_texts.h"

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"

namespace jexhost::sync {

namespace {

namespace model = kdrsm::model;

bool isPasswordName(const QString& name) {
    for (int field = 0; field < model::kSettingCount; ++field)
        if (model::isSecret(field) && settingName(model::settingLabel(field)) == name) return true;
    return false;
}

// A value as the bar shows it: one line, bounded, a password never.
QString shown(const QString& name, const QString& value) {
    if (isPasswordName(name)) return QStringLiteral("changed");
    return value.isEmpty() ? QStringLiteral("(empty)") : model::oneLine(value, 80);
}

void addOnce(QStringList& list, const QString& item) {
    if (!list.contains(item)) list << item;
}

}  // namespace

QString settingName(const QString& label) {
    return model::captionWords(label.trimmed());
}

QString clockOf(const QString& isoTime, const QDateTime& fallback) {
    const QDateTime time = QDateTime::fromString(isoTime, Qt::ISODateWithMs);
    return (time.isValid() ? time.toLocalTime() : fallback).toString(QStringLiteral("HH:mm"));
}

QString changedMark(const jexlink::ChangedNotice& notice, const QDateTime& received) {
    return QStringLiteral("changed by %1 %2")
        .arg(model::oneLine(notice.operatorName, 64), clockOf(notice.time, received));
}

// Each operator once, with every setting they changed, in the order they came.
QString whoChangedWhat(const QList<jexlink::ChangedNotice>& notices) {
    QStringList operators;
    QList<QStringList> theirs;
    for (const auto& notice : notices) {
        qsizetype at = operators.indexOf(notice.operatorName);
        if (at < 0) {
            operators << notice.operatorName;
            theirs.append(QStringList());
            at = operators.size() - 1;
        }
        for (const QString& label : notice.settings) addOnce(theirs[at], settingName(label));
    }
    QStringList said;
    for (qsizetype i = 0; i < operators.size(); ++i)
        said << (theirs[i].isEmpty() ? QStringLiteral("%1 stored the settings again")
                                           .arg(model::oneLine(operators[i], 64))
                                     : QStringLiteral("%1 changed %2")
                                           .arg(model::oneLine(operators[i], 64),
                                                theirs[i].join(QStringLiteral(", "))));
    return said.join(QStringLiteral("; "));
}

QString reloadedText(const QString& server, const QList<jexlink::ChangedNotice>& notices) {
    return QStringLiteral("%1: %2. The panel shows it now.")
        .arg(model::oneLine(server, 64), whoChangedWhat(notices));
}

QString changedElsewhereText(const QList<jexlink::ChangedNotice>& notices,
                             const QStringList& yourEdits) {
    QStringList both;
    for (const auto& notice : notices)
        for (const QString& label : notice.settings)
            if (yourEdits.contains(settingName(label))) addOnce(both, settingName(label));
    const QString what = whoChangedWhat(notices) + u'.';
    if (both.isEmpty())
        return what + QStringLiteral(" Your Update will keep their changes and yours.");
    return what + QStringLiteral(
                      " You changed %1 too: where your value differs from theirs, Update will "
                      "be refused and show both; their other changes are kept.")
                      .arg(both.join(QStringLiteral(", ")));
}

QStringList conflictLines(const QList<jexlink::Conflict>& conflicts) {
    QStringList lines;
    for (const auto& conflict : conflicts) {
        const QString name = settingName(conflict.setting);
        const QString who = model::oneLine(conflict.operatorName, 64);
        const QString when = clockOf(conflict.time, QDateTime::currentDateTime());
        if (isPasswordName(name)) {
            lines << QStringLiteral("%1: changed by %2 at %3 and by you (values hidden)")
                         .arg(model::oneLine(name, 80), who, when);
            continue;
        }
        lines << QStringLiteral("%1: you fetched %2; %3 made it %4 at %5; yours is %6")
                     .arg(model::oneLine(name, 80), shown(name, conflict.base), who,
                          shown(name, conflict.theirs), when, shown(name, conflict.yours));
    }
    return lines;
}

QString conflictSummary(const QList<jexlink::Conflict>& conflicts) {
    QStringList operators, names;
    for (const auto& conflict : conflicts) {
        addOnce(operators, model::oneLine(conflict.operatorName, 64));
        addOnce(names, model::oneLine(settingName(conflict.setting), 80));
    }
    return QStringLiteral("not stored: changed meanwhile by %1: %2")
        .arg(operators.join(QStringLiteral(", ")), names.join(QStringLiteral(", ")));
}

}  // namespace jexhost::sync
