#include "host/fleet_ui/outcome_text.h"

#include "host/fleet/fleet_settings.h"

namespace jexhost::fleet_ui {

using fleet::Outcome;

namespace {

QString withReason(const QString& word, const QString& reason) {
    return reason.isEmpty() ? word : word + QStringLiteral(": ") + reason;
}

// "applied; left out Max Players, which ann may not change"
QString withLeftOut(const QString& word, const fleet::ServerOutcome& outcome) {
    return outcome.leftOut.isEmpty() ? word : word + QStringLiteral("; ") + outcome.leftOut;
}

// "Max Players is now 32 (lee)" for each setting someone else changed.
QString conflictsText(const fleet::ServerOutcome& outcome) {
    QStringList parts;
    for (const jexlink::Conflict& conflict : outcome.conflicts) {
        QString part = QStringLiteral("%1 is now %2").arg(conflict.setting, conflict.theirs);
        if (!conflict.operatorName.isEmpty())
            part += QStringLiteral(" (%1)").arg(conflict.operatorName);
        parts << part;
    }
    return parts.isEmpty() ? outcome.reason : parts.join(QStringLiteral("; "));
}

}  // namespace

QString changesText(const QList<fleet::ShownChange>& changes) {
    QStringList parts;
    for (const fleet::ShownChange& change : changes) {
        // A password shows only that it changes.
        if (change.after == QStringLiteral("changed") &&
            change.before == QStringLiteral("(hidden)"))
            parts << change.setting + QStringLiteral(": changed");
        else
            parts
                << QStringLiteral("%1: %2 -> %3").arg(change.setting, change.before, change.after);
    }
    return parts.join(QStringLiteral("; "));
}

QString previewText(const fleet::ServerOutcome& outcome) {
    switch (outcome.outcome) {
        case Outcome::Waiting:
            return QStringLiteral("fetching…");
        case Outcome::DryRun:
        case Outcome::Applied:
            return withLeftOut(QStringLiteral("will change"), outcome);
        case Outcome::Unchanged:
            return QStringLiteral("nothing changes");
        case Outcome::Refused:
            return withReason(QStringLiteral("refused"), outcome.reason);
        case Outcome::Conflict:
            return withReason(QStringLiteral("conflict"), conflictsText(outcome));
        case Outcome::Unreachable:
            return withReason(QStringLiteral("unreachable"), outcome.reason);
    }
    return {};
}

QString outcomeText(const fleet::ServerOutcome& outcome) {
    switch (outcome.outcome) {
        case Outcome::Waiting:
            return QStringLiteral("sending…");
        case Outcome::DryRun:
            return QStringLiteral("not sent");
        case Outcome::Applied:
            return withLeftOut(QStringLiteral("applied"), outcome);
        case Outcome::Unchanged:
            return QStringLiteral("unchanged");
        case Outcome::Conflict:
            return withReason(QStringLiteral("conflict"), conflictsText(outcome));
        case Outcome::Refused:
        case Outcome::Unreachable:
            return previewText(outcome);
    }
    return {};
}

bool isTrouble(Outcome outcome) {
    return outcome == Outcome::Refused || outcome == Outcome::Conflict ||
           outcome == Outcome::Unreachable;
}

QString countsText(const QMap<Outcome, int>& counts) {
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > 0)
            parts << QStringLiteral("%1 %2")
                         .arg(it.value())
                         .arg(it.key() == Outcome::DryRun ? QStringLiteral("will change")
                                                          : fleet::outcomeWord(it.key()));
    return parts.join(QStringLiteral(", "));
}

QStringList settingLabels(const QStringList& keys) {
    QStringList labels;
    for (const QString& key : keys) {
        QString label = key;
        for (const fleet::SettingChoice& choice : fleet::settingChoices())
            if (choice.key == key) label = choice.label;
        labels << label;
    }
    return labels;
}

}  // namespace jexhost::fleet_ui
