#include "host/changes/merge_review.h"

#include <QSet>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"
#include "exchange/model/settings_merge.h"

namespace jexhost::changes {

namespace model = kdrsm::model;

namespace {

constexpr int kMaxRows = 300;
const QString kYours = QStringLiteral("yours");
const QString kSomeoneElse = QStringLiteral("someone else");

// Who changed the setting of this row last, as the notices tell it.
QString whoChanged(const QString& label, const OthersSince& others) {
    for (auto notice = others.notices.crbegin(); notice != others.notices.crend(); ++notice)
        for (const QString& setting : notice->settings) {
            const QString name = model::captionWords(setting);
            if (label == setting || label.startsWith(name + u':'))
                return model::oneLine(notice->operatorName, 64);
        }
    return kSomeoneElse;
}

ReviewRow rowOf(const SettingChange& change, const QString& note) {
    const bool secret = change.kind == ChangeKind::Secret;
    return {model::changeLabel(change), secret ? QString() : model::shownBefore(change),
            secret ? QStringLiteral("changed") : model::shownAfter(change), note};
}

QString counted(qsizetype count, const char* one, const char* many) {
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

}  // namespace

MergeReview reviewMerge(const Snapshot& base, const Snapshot& current, const Snapshot& yours,
                        const OthersSince& others) {
    MergeReview review;
    for (const Snapshot* side : {&base, &current, &yours})
        if (const auto* fault = side->fault()) {
            review.error = faultText(*fault);
            review.summary = QStringLiteral("cannot compare: ") + review.error;
            return review;
        }
    const auto& was = *base.masked();
    const auto& now = *current.masked();
    // Where both changed a setting the merge keeps the server's value, so
    // the operator's other changes are those of the merge against now.
    const model::MergeResult merge = model::mergeSettings(was, now, *yours.masked());

    QList<ReviewRow> rows;
    QSet<QString> conflicting;
    for (const auto& conflict : merge.conflicts) {
        conflicting.insert(model::conflictLabel(conflict));
        const bool secret = conflict.field >= 0 && model::isSecret(conflict.field);
        const QString was = secret ? QString()
                                   : QStringLiteral(" (it was %1)")
                                         .arg(model::shownConflictValue(conflict, conflict.base));
        rows.append({model::conflictLabel(conflict),
                     model::shownConflictValue(conflict, conflict.theirs),
                     model::shownConflictValue(conflict, conflict.yours),
                     QStringLiteral("conflict: changed by %1 since you fetched it%2; "
                                    "Update will be refused")
                         .arg(whoChanged(model::conflictLabel(conflict), others), was)});
    }
    qsizetype mine = 0, theirs = 0;
    QStringList whose;
    for (const SettingChange& change :
         model::differences(now, merge.settled(model::MergeSide::Theirs))) {
        rows.append(rowOf(change, kYours));
        ++mine;
    }
    for (const SettingChange& change : model::differences(was, now)) {
        if (conflicting.contains(model::changeLabel(change))) continue;
        const QString who = whoChanged(model::changeLabel(change), others);
        rows.append(rowOf(change, who + QStringLiteral("'s, kept")));
        if (!whose.contains(who)) whose << who;
        ++theirs;
    }
    if (rows.size() > kMaxRows) {
        review.omittedRows = static_cast<int>(rows.size() - kMaxRows);
        rows.resize(kMaxRows);
    }
    review.rows = rows;

    QStringList said;
    if (mine > 0) said << counted(mine, "1 change of yours", "%1 changes of yours");
    if (theirs > 0)
        said << counted(theirs, "1 change by %2 since you fetched, kept",
                        "%1 changes by %2 since you fetched, kept")
                    .arg(whose.join(QStringLiteral(", ")));
    if (!merge.conflicts.isEmpty())
        said << counted(merge.conflicts.size(), "1 conflict: Update will be refused",
                        "%1 conflicts: Update will be refused");
    if (others.unchecked)
        said << QStringLiteral(
            "others' changes could not be checked: the server could not be reached");
    review.summary = said.isEmpty() ? kNothingChanged : said.join(QStringLiteral("; "));
    if (review.omittedRows > 0)
        review.summary += QStringLiteral(" (%1 more not listed)").arg(review.omittedRows);
    return review;
}

}  // namespace jexhost::changes
