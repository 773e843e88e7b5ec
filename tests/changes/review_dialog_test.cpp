// The review before an update: the update merged with what the server holds
// now, row by row, and the dialog that shows it answering OK or Cancel,
// driven as the operator would, through its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <map>
#include <string>

#include "exchange/model/settings_reply.h"
#include "host/changes_ui/review_dialog.h"

namespace {

using namespace jexhost::changes;
using kdrsm::model::ServerSettings;

// What the operator fetched: "My server", password "s3cr3t!", 16 players.
ServerSettings fetched() {
    return std::get<ServerSettings>(kdrsm::model::settingsOfReply(
        "TXkgc2VydmVy|REU=|0|czNjcjN0IQ==|15|0|2|2|8|1|0|1|1|SGk=|Ymx1ZSBwYXNz|cmVkIHBhc3M=|"
        "0|6|1|1|15|210|100|1|0|0|1|0|1|0|0|0|1|17479[-]True|False|True|False[-]TTQ=,1[-]1"));
}

Snapshot changed(const std::map<int, QString>& fields) {
    ServerSettings settings = fetched();
    for (const auto& [field, value] : fields) settings.fields[static_cast<size_t>(field)] = value;
    return snapshotOf(settings);
}

struct MergeCase {
    std::string name;
    std::map<int, QString> theirs, yours;  // changes since the fetch
    QList<ReviewRow> rows;
    QString summary;
    OthersSince others = {};
};

const QString kKept = "someone else's, kept";

class MergedReview : public testing::TestWithParam<MergeCase> {};

TEST_P(MergedReview, ListsYoursTheirsAndTheConflicts) {
    const MergeReview review = reviewMerge(changed({}), changed(GetParam().theirs),
                                           changed(GetParam().yours), GetParam().others);
    EXPECT_EQ(review.rows, GetParam().rows);
    EXPECT_EQ(review.summary, GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Review, MergedReview,
    testing::Values(
        MergeCase{"OnlyYours",
                  {},
                  {{3, "n3w"}, {4, "23"}},
                  {{"Password:", "", "changed", "yours"}, {"Max Players:", "16", "24", "yours"}},
                  "2 changes of yours"},
        MergeCase{"TheirsKeptBesideYours",
                  {{0, "Arena"}},
                  {{4, "23"}},
                  {{"Max Players:", "16", "24", "yours"}, {"Name:", "My server", "Arena", kKept}},
                  "1 change of yours; 1 change by someone else since you fetched, kept"},
        MergeCase{"TheSameValueIsNoConflict",
                  {{0, "Arena"}},
                  {{0, "Arena"}},
                  {{"Name:", "My server", "Arena", kKept}},
                  "1 change by someone else since you fetched, kept"},
        MergeCase{"BothChangedIsAConflict",
                  {{0, "Arena"}},
                  {{0, "Night Ops"}, {4, "23"}},
                  {{"Name:", "Arena", "Night Ops",
                    "conflict: changed by someone else since you fetched it (it was My server); "
                    "Update will be refused"},
                   {"Max Players:", "16", "24", "yours"}},
                  "1 change of yours; 1 conflict: Update will be refused"},
        MergeCase{"TheNoticesNameWhoseChangesAreKept",
                  {{0, "Arena"}, {4, "31"}},
                  {{3, "n3w"}},
                  {{"Password:", "", "changed", "yours"},
                   {"Name:", "My server", "Arena", "alice's, kept"},
                   {"Max Players:", "16", "32", "lee's, kept"}},
                  "1 change of yours; 2 changes by alice, lee since you fetched, kept",
                  {{{0, 2, "lee", {}, {"Name:"}},
                    {0, 3, "alice", {}, {"Name:"}},
                    {0, 4, "lee", {}, {"Max Players:"}}}}},
        MergeCase{"AConflictNamesWhoMadeIt",
                  {{0, "Arena"}},
                  {{0, "Night Ops"}},
                  {{"Name:", "Arena", "Night Ops",
                    "conflict: changed by alice since you fetched it (it was My server); "
                    "Update will be refused"}},
                  "1 conflict: Update will be refused",
                  {{{0, 2, "alice", {}, {"Max Players:", "Name:"}}}}},
        MergeCase{"AnUnreachableServerLeavesOthersUnchecked",
                  {},
                  {{4, "23"}},
                  {{"Max Players:", "16", "24", "yours"}},
                  "1 change of yours; others' changes could not be checked: the server could "
                  "not be reached",
                  {{}, true}},
        MergeCase{"APasswordConflictShowsNoPassword",
                  {{3, "theirs!"}},
                  {{3, "mine!"}},
                  {{"Password:", "changed", "changed",
                    "conflict: changed by someone else since you fetched it; Update will be "
                    "refused"}},
                  "1 conflict: Update will be refused"}),
    [](const auto& info) { return info.param.name; });

struct Choice {
    std::string name;
    QDialogButtonBox::StandardButton button;
    bool sent;
};

class ReviewUpdate : public testing::TestWithParam<Choice> {};

TEST_P(ReviewUpdate, ShowsTheRowsAndAnswersTheButton) {
    MergeReview review;
    review.summary = "1 change of yours";
    review.rows = {{"Max Players:", "16", "24", "yours"}};
    QStringList title, summary, cells;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<ReviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        title << dialog->windowTitle();
        summary << dialog->summary()->text();
        for (int r = 0; r < dialog->table()->rowCount(); ++r)
            for (int c = 0; c < dialog->table()->columnCount(); ++c)
                cells << dialog->table()->item(r, c)->text();
        dialog->findChild<QDialogButtonBox*>()->button(GetParam().button)->click();
    });
    poll.start(5);

    EXPECT_EQ(reviewUpdate(nullptr, review), GetParam().sent);
    EXPECT_EQ(title, QStringList{"Review changes before Update"});
    EXPECT_EQ(summary, QStringList{"1 change of yours"});
    EXPECT_EQ(cells, (QStringList{"Max Players:", "16", "24", "yours"}));
}

INSTANTIATE_TEST_SUITE_P(Buttons, ReviewUpdate,
                         testing::Values(Choice{"OkSends", QDialogButtonBox::Ok, true},
                                         Choice{"CancelRefuses", QDialogButtonBox::Cancel, false}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
