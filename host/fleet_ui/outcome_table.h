#pragma once
// The fleet dialogs' table: one row per server with what would change, the
// preview's verdict and the run's outcome. Rows in trouble (refused,
// conflicting, unreachable) are drawn in red, rows where nothing changes in
// grey, so a long list shows them at a glance.

#include <QList>
#include <QTableWidget>

#include "host/fleet/fleet_outcome.h"

namespace jexhost::fleet_ui {

class OutcomeTable final : public QTableWidget {
    Q_OBJECT
public:
    enum Column { ServerColumn, ChangesColumn, PreviewColumn, OutcomeColumn, ColumnCount };

    explicit OutcomeTable(QWidget* parent = nullptr);

    // One row per server, its name only.
    void setServers(const QStringList& names);
    // The preview's verdict and changes of row `row`.
    void showPreview(int row, const fleet::ServerOutcome& outcome);
    // The run's outcome of row `row` (its changes too, when it has them).
    void showOutcome(int row, const fleet::ServerOutcome& outcome);
    // The Outcome column of row `row` in other words (a game action's),
    // drawn as `tone` is.
    void showOutcomeText(int row, const QString& text, fleet::Outcome tone);
    // Every row's outcome "sending…" (a run starts) or empty (none has).
    void clearOutcomes(bool sending);
    void clearPreview();

    QString cell(int row, Column column) const;

private:
    void setCell(int row, Column column, const QString& text, fleet::Outcome tone);
};

}  // namespace jexhost::fleet_ui
