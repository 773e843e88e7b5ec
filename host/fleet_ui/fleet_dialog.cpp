#include "host/fleet_ui/fleet_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/fleet/fleet_run.h"
#include "host/fleet_ui/outcome_table.h"
#include "host/fleet_ui/outcome_text.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"

namespace jexhost::fleet_ui {

namespace {

constexpr int kChoiceColumns = 4;
constexpr const char* kKeyProperty = "settingKey";

QString serversText(qsizetype count) {
    return count == 1 ? QStringLiteral("1 server") : QStringLiteral("%1 servers").arg(count);
}

QMap<fleet::Outcome, int> countOf(const QList<fleet::ServerOutcome>& outcomes) {
    QMap<fleet::Outcome, int> counts;
    for (const fleet::ServerOutcome& outcome : outcomes) ++counts[outcome.outcome];
    return counts;
}

}  // namespace

FleetDialog::FleetDialog(const FleetContext& context, fleet::SettingsSource source,
                         QList<servers::ServerEntry> servers, QWidget* parent)
    : QDialog(parent),
      context_(context),
      source_(std::move(source)),
      servers_(std::move(servers)),
      table_(new OutcomeTable),
      status_(new QLabel),
      progress_(new QProgressBar),
      preview_(new QPushButton(tr("&Preview"))),
      apply_(new QPushButton(tr("&Apply"))),
      retry_(new QPushButton(tr("&Retry the unreachable"))) {
    setObjectName(QStringLiteral("fleetDialog"));
    setWindowTitle(tr("Settings to %1").arg(serversText(servers_.size())));

    auto* heading = new QLabel(tr("From %1 to %2. Tick the settings to carry over:")
                                   .arg(source_.name(), serversText(servers_.size())));
    heading->setWordWrap(true);
    auto* box = new QGroupBox(tr("Settings"));
    auto* grid = new QGridLayout(box);
    const QStringList ticked = source_.defaultKeys();
    for (const fleet::SettingChoice& choice : fleet::settingChoices()) {
        if (!source_.heldKeys().contains(choice.key)) continue;
        auto* check = new QCheckBox(choice.label);
        check->setObjectName(QStringLiteral("setting_") + choice.key);
        check->setProperty(kKeyProperty, choice.key);
        check->setChecked(ticked.contains(choice.key));
        connect(check, &QCheckBox::toggled, this, &FleetDialog::choicesChanged);
        const int at = int(choices_.size());
        grid->addWidget(check, at / kChoiceColumns, at % kChoiceColumns);
        choices_ << check;
    }

    auto* all = new QPushButton(tr("Tick a&ll"));
    auto* none = new QPushButton(tr("Tick &none"));
    all->setObjectName(QStringLiteral("tickAll"));
    none->setObjectName(QStringLiteral("tickNone"));
    connect(all, &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { tickAll(false); });
    auto* ticks = new QHBoxLayout;
    ticks->addWidget(all);
    ticks->addWidget(none);
    ticks->addStretch(1);
    grid->addLayout(ticks, int(choices_.size() + kChoiceColumns - 1) / kChoiceColumns, 0, 1,
                    kChoiceColumns);

    QStringList names;
    for (const servers::ServerEntry& server : servers_) {
        names << server.name;
        outcomes_.append({server});
    }
    table_->setServers(names);
    progress_->setRange(0, int(servers_.size()));
    progress_->setValue(0);
    status_->setObjectName(QStringLiteral("fleetStatus"));
    status_->setWordWrap(true);
    status_->setText(tr("Preview shows what each server would get; nothing is sent before Apply."));

    preview_->setObjectName(QStringLiteral("preview"));
    apply_->setObjectName(QStringLiteral("apply"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(preview_, QDialogButtonBox::ActionRole);
    buttons->addButton(apply_, QDialogButtonBox::ActionRole);
    retry_->setObjectName(QStringLiteral("retryUnreachable"));
    buttons->addButton(retry_, QDialogButtonBox::ActionRole);
    connect(retry_, &QPushButton::clicked, this, &FleetDialog::retryUnreachable);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(preview_, &QPushButton::clicked, this, &FleetDialog::startPreview);
    connect(apply_, &QPushButton::clicked, this, &FleetDialog::startApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(box);
    layout->addWidget(table_, 1);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    resize(1100, 640);
    updateButtons();
}

FleetDialog::~FleetDialog() = default;

QStringList FleetDialog::chosenKeys() const {
    QStringList keys;
    for (const QCheckBox* check : choices_)
        if (check->isChecked()) keys << check->property(kKeyProperty).toString();
    return keys;
}

QCheckBox* FleetDialog::choice(const QString& key) const {
    for (QCheckBox* check : choices_)
        if (check->property(kKeyProperty).toString() == key) return check;
    return nullptr;
}

void FleetDialog::tickAll(bool ticked) {
    for (QCheckBox* check : choices_)
        if (check->isEnabled()) check->setChecked(ticked);
}

QList<servers::ServerEntry> FleetDialog::serversOf(const QList<int>& rows) const {
    QList<servers::ServerEntry> chosen;
    for (const int row : rows) chosen << servers_[row];
    return chosen;
}

fleet::FleetRun* FleetDialog::newRun(QList<int> rows) {
    if (run_) run_->deleteLater();
    runRows_ = std::move(rows);
    run_ = fleet_ui::newRun(context_, progress_, this);
    // A server its operator may not fully change still gets what it may.
    run_->setLeaveOutForbidden(true);
    connect(run_, &fleet::FleetRun::serverFinished, this,
            [this](int at, const fleet::ServerOutcome& outcome) {
                const int row = runRows_.value(at, -1);
                if (row < 0) return;
                outcomes_[row] = outcome;
                if (stage_ == Stage::Previewing)
                    table_->showPreview(row, outcome);
                else
                    table_->showOutcome(row, outcome);
            });
    connect(run_, &fleet::FleetRun::finished, this, &FleetDialog::settle);
    return run_;
}

void FleetDialog::startPreview() {
    if (stage_ == Stage::Previewing || stage_ == Stage::Applying) return;
    const QStringList keys = chosenKeys();
    if (keys.isEmpty()) {
        status_->setText(tr("Tick at least one setting."));
        return;
    }
    stage_ = Stage::Previewing;
    for (fleet::ServerOutcome& outcome : outcomes_) outcome = {outcome.server};
    table_->clearPreview();
    table_->clearOutcomes(false);
    progress_->setValue(0);
    status_->setText(tr("Fetching the settings of every server…"));
    updateButtons();
    QList<int> rows;
    for (int row = 0; row < servers_.size(); ++row) rows << row;
    newRun(rows)->preview(servers_, source_, keys);
}

void FleetDialog::retryUnreachable() {
    if (stage_ != Stage::Previewed && stage_ != Stage::Done) return;
    QList<int> rows;
    for (int row = 0; row < outcomes_.size(); ++row)
        if (outcomes_[row].outcome == fleet::Outcome::Unreachable) rows << row;
    if (rows.isEmpty()) return;
    const bool apply = stage_ == Stage::Done;
    stage_ = apply ? Stage::Applying : Stage::Previewing;
    progress_->setValue(0);
    status_->setText(tr("Trying the unreachable servers again…"));
    updateButtons();
    // Their links are tried at once, not after the wait that follows failures.
    for (const servers::ServerEntry& server : serversOf(rows))
        context_.links->open(server.remote, servers::tokenFilePath(server, context_.serversFile),
                             true);
    fleet::FleetRun* run = newRun(rows);
    if (apply)
        run->apply(serversOf(rows), source_, chosenKeys());
    else
        run->preview(serversOf(rows), source_, chosenKeys());
}

void FleetDialog::startApply() {
    if (stage_ != Stage::Previewed) return;
    stage_ = Stage::Applying;
    table_->clearOutcomes(true);
    progress_->setValue(0);
    status_->setText(tr("Applying…"));
    updateButtons();
    QList<int> rows;
    for (int row = 0; row < servers_.size(); ++row) rows << row;
    newRun(rows)->apply(servers_, source_, chosenKeys());
}

void FleetDialog::settle(const QString& error) {
    const QList<fleet::ServerOutcome> outcomes =
        run_ ? run_->outcomes() : QList<fleet::ServerOutcome>{};
    const QString counts = countsText(countOf(outcomes_));
    if (stage_ == Stage::Previewing) {
        stage_ = Stage::Previewed;
        status_->setText(error.isEmpty() ? tr("Preview: %1. Nothing has been sent.").arg(counts)
                                         : tr("The preview stopped: %1").arg(error));
    } else if (stage_ == Stage::Applying) {
        stage_ = Stage::Done;
        batchId_ = run_ ? run_->batchId() : QString();
        QStringList stored;
        for (const fleet::ServerOutcome& outcome : outcomes)
            if (outcome.outcome == fleet::Outcome::Applied) stored << outcome.server.id;
        status_->setText(batchId_.isEmpty() ? counts : tr("Batch %1: %2.").arg(batchId_, counts));
        if (!error.isEmpty()) QMessageBox::warning(this, windowTitle(), error);
        if (!stored.isEmpty()) emit applied(stored);
    }
    updateButtons();
    emit runFinished();
}

void FleetDialog::choicesChanged() {
    if (stage_ != Stage::Previewed && stage_ != Stage::Done) return updateButtons();
    // What was previewed is no longer what would be sent.
    stage_ = Stage::Choosing;
    for (fleet::ServerOutcome& outcome : outcomes_) outcome = {outcome.server};
    table_->clearPreview();
    table_->clearOutcomes(false);
    status_->setText(tr("The choice changed: Preview again before Apply."));
    updateButtons();
}

void FleetDialog::updateButtons() {
    const bool running = stage_ == Stage::Previewing || stage_ == Stage::Applying;
    bool changes = false;
    if (stage_ == Stage::Previewed)
        for (const fleet::ServerOutcome& outcome : outcomes_)
            changes = changes || outcome.outcome == fleet::Outcome::DryRun;
    bool unreachable = false;
    for (const fleet::ServerOutcome& outcome : outcomes_)
        unreachable = unreachable || outcome.outcome == fleet::Outcome::Unreachable;
    preview_->setEnabled(!running && !choices_.isEmpty());
    apply_->setEnabled(stage_ == Stage::Previewed && changes);
    retry_->setEnabled((stage_ == Stage::Previewed || stage_ == Stage::Done) && unreachable);
    for (QCheckBox* check : choices_) check->setEnabled(!running);
}

}  // namespace jexhost::fleet_ui
