// The review dialog lists the changes and answers OK or Cancel, driven as the
// operator would, through its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <string>

#include "host/changes/review_dialog.h"

namespace {

using namespace jexhost::changes;

struct Choice {
    std::string name;
    QDialogButtonBox::StandardButton button;
    bool sent;
};

class ReviewUpdate : public testing::TestWithParam<Choice> {};

TEST_P(ReviewUpdate, ShowsTheChangesAndAnswersTheButton) {
    SettingsDifference difference;
    difference.changes = {{ChangeKind::Value, "Players", 4, {}, "15", "23"},
                          {ChangeKind::Secret, "Password", 3, {}, {}, {}}};
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

    EXPECT_EQ(reviewUpdate(nullptr, difference), GetParam().sent);
    EXPECT_EQ(title, QStringList{"Review changes before Update"});
    EXPECT_EQ(summary, QStringList{"2 changes"});
    // Values as the form shows them: entry 15 of Max Players is "16".
    EXPECT_EQ(cells, (QStringList{"Max Players:", "16", "24", "Password:", "", "changed"}));
}

INSTANTIATE_TEST_SUITE_P(Buttons, ReviewUpdate,
                         testing::Values(Choice{"OkSends", QDialogButtonBox::Ok, true},
                                         Choice{"CancelRefuses", QDialogButtonBox::Cancel, false}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
