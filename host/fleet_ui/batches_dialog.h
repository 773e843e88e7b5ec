#pragma once
// "Batches": the console's past fleet runs, newest first (time, operator,
// settings, servers, outcome counts), and Undo of the selected one. Undo
// puts each server the batch applied back to its settings before the batch
// through the same rules, privileges and merge as any update: a setting
// someone changed since is a conflict and stays as they left it. The undo's
// outcomes show per server as an apply's do.

#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>

#include "host/fleet_ui/fleet_context.h"
#include "host/servers/server_entry.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace jexhost::fleet {
class FleetRun;
}

namespace jexhost::fleet_ui {

class OutcomeTable;

class BatchesDialog final : public QDialog {
    Q_OBJECT
public:
    // `servers` gives the servers file's servers when an undo starts.
    BatchesDialog(const FleetContext& context, std::function<QList<servers::ServerEntry>()> servers,
                  QWidget* parent = nullptr);
    ~BatchesDialog() override;

    QTreeWidget* batches() const { return batches_; }
    OutcomeTable* table() const { return table_; }
    QPushButton* undoButton() const { return undo_; }
    QLabel* status() const { return status_; }

public slots:
    void reload();
    // Asks, then undoes the selected batch.
    void undoSelected();

signals:
    void runFinished();
    // The undo stored settings on these servers.
    void applied(const QStringList& serverIds);

private:
    void settle(const QString& error);
    void updateButtons();

    FleetContext context_;
    std::function<QList<servers::ServerEntry>()> servers_;
    QPointer<fleet::FleetRun> run_;
    QTreeWidget* batches_;
    OutcomeTable* table_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* undo_;
};

}  // namespace jexhost::fleet_ui
