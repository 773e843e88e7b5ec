#pragma once
// "Apply preset to servers" and "Copy settings to servers": the operator
// ticks the settings to carry over (in the form's words; the server's name
// and the three passwords start unticked), previews what each server would
// get, then applies. The preview fetches every server and marks, before
// anything is sent, those where nothing changes, those that cannot be
// reached and those whose operator lacks a privilege for a chosen setting
// (such a server still gets the others; its row says which were left out).
// Apply runs a batch: a progress bar, and an outcome per server as it
// settles. "Retry the unreachable" runs the preview, or a batch of its own,
// again on the servers that could not be reached.

#include <QDialog>
#include <QList>
#include <QPointer>

#include "host/fleet/fleet_settings.h"
#include "host/fleet_ui/fleet_context.h"
#include "host/servers/server_entry.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace jexhost::fleet {
class FleetRun;
}

namespace jexhost::fleet_ui {

class OutcomeTable;

class FleetDialog final : public QDialog {
    Q_OBJECT
public:
    FleetDialog(const FleetContext& context, fleet::SettingsSource source,
                QList<servers::ServerEntry> servers, QWidget* parent = nullptr);
    ~FleetDialog() override;

    // The ticked settings' keys, in the form's order.
    QStringList chosenKeys() const;
    QCheckBox* choice(const QString& key) const;
    OutcomeTable* table() const { return table_; }
    QPushButton* previewButton() const { return preview_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* retryButton() const { return retry_; }
    // Tick every setting, or none.
    void tickAll(bool ticked);
    QProgressBar* progress() const { return progress_; }
    QLabel* status() const { return status_; }
    // The batch of the last apply; empty before one.
    const QString& batchId() const { return batchId_; }

public slots:
    void startPreview();
    void startApply();
    void retryUnreachable();

signals:
    // A run settled every server (tests and the console wait on it).
    void runFinished();
    // An apply stored settings on these servers (their open panels fetch again).
    void applied(const QStringList& serverIds);

private:
    enum class Stage { Choosing, Previewing, Previewed, Applying, Done };
    // A run over the servers of table `rows`.
    fleet::FleetRun* newRun(QList<int> rows);
    QList<servers::ServerEntry> serversOf(const QList<int>& rows) const;
    void choicesChanged();
    void settle(const QString& error);
    void updateButtons();

    FleetContext context_;
    fleet::SettingsSource source_;
    QList<servers::ServerEntry> servers_;
    QList<fleet::ServerOutcome> outcomes_;  // by table row, as last settled
    QList<int> runRows_;                    // the table row of each of the run's rows
    QList<QCheckBox*> choices_;
    QPointer<fleet::FleetRun> run_;
    Stage stage_ = Stage::Choosing;
    QString batchId_;
    OutcomeTable* table_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* preview_;
    QPushButton* apply_;
    QPushButton* retry_;
};

}  // namespace jexhost::fleet_ui
