#include "host/servers_ui/server_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "host/servers/server_rules.h"
#include "host/servers/servers_file.h"

namespace jexhost::servers {

namespace {

constexpr auto kOthersMayRead = QFileDevice::ReadGroup | QFileDevice::ReadOther;

// The form's label of each file key, so a problem names what the user sees.
QString fieldLabel(const QString& key) {
    if (key == u"TokenFile") return QStringLiteral("Token file");
    return key;
}

}  // namespace

ServerDialog::ServerDialog(const ServerEntry* existing, const QList<ServerEntry>& others,
                           const QStringList& knownGames, const QString& serversFile,
                           QWidget* parent)
    : QDialog(parent),
      others_(others),
      serversFile_(serversFile),
      name_(new QLineEdit(this)),
      game_(new QComboBox(this)),
      remote_(new QLineEdit(this)),
      tokenFile_(new QLineEdit(this)),
      browse_(new QPushButton(tr("Browse..."), this)),
      profile_(new QSpinBox(this)),
      tag_(new QLineEdit(this)),
      problem_(new QLabel(this)) {
    setWindowTitle(existing ? tr("Edit server") : tr("Add server"));
    name_->setObjectName(QStringLiteral("name"));
    game_->setObjectName(QStringLiteral("game"));
    remote_->setObjectName(QStringLiteral("remote"));
    tokenFile_->setObjectName(QStringLiteral("tokenFile"));
    profile_->setObjectName(QStringLiteral("profile"));
    tag_->setObjectName(QStringLiteral("tag"));
    problem_->setObjectName(QStringLiteral("problem"));

    game_->setEditable(true);
    game_->addItems(knownGames);
    remote_->setPlaceholderText(QStringLiteral("embedded, ws://host:port or wss://host:port"));
    tokenFile_->setPlaceholderText(tr("file holding the remote's token"));
    profile_->setRange(0, 999999999);
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00020"));
    problem_->hide();

    ServerEntry start;
    start.remote = kEmbeddedRemote;
    if (existing) start = *existing;
    id_ = start.id;
    name_->setText(start.name);
    if (existing) game_->setCurrentText(start.game);  // a new one starts at the first game
    remote_->setText(start.remote);
    tokenFile_->setText(start.tokenFile);
    profile_->setValue(start.profile);
    tag_->setText(start.tag);

    auto* tokenRow = new QHBoxLayout;
    tokenRow->addWidget(tokenFile_);
    tokenRow->addWidget(browse_);
    auto* form = new QFormLayout;
    form->addRow(tr("Name"), name_);
    form->addRow(tr("Game"), game_);
    form->addRow(tr("Remote"), remote_);
    form->addRow(tr("Token file"), tokenRow);
    form->addRow(tr("Profile"), profile_);
    form->addRow(tr("Tag"), tag_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServerDialog::reject);
    connect(remote_, &QLineEdit::textChanged, this, &ServerDialog::updateTokenField);
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Token file"),
                                                          QFileInfo(serversFile_).absolutePath());
        if (!path.isEmpty()) tokenFile_->setText(path);
    });
    updateTokenField();
}

ServerEntry ServerDialog::entry() const {
    ServerEntry e;
    e.id = id_;
    e.name = name_->text().trimmed();
    e.game = game_->currentText().trimmed();
    e.remote = remote_->text().trimmed();
    // An embedded server has no token file; one left in the field is not kept.
    e.tokenFile = e.isEmbedded() ? QString() : tokenFile_->text().trimmed();
    e.profile = profile_->value();
    e.tag = tag_->text().trimmed();
    return e;
}

QString ServerDialog::problem() const {
    return problem_->isHidden() ? QString() : problem_->text();
}

void ServerDialog::accept() {
    const ServerEntry e = entry();
    std::optional<Fault> fault = entryFault(e);
    // The file may hold a server without a tag; the dialog makes none.
    if (!fault && e.tag.isEmpty()) fault = Fault{QStringLiteral("Tag"), tr("empty")};
    if (!fault) fault = clashFault(e, others_);
    if (!fault) {
        if (const QString reason = tokenFileFault(e); !reason.isEmpty())
            fault = Fault{QStringLiteral("TokenFile"), reason};
    }
    if (fault) {
        showProblem(fault->key, fault->reason);
        return;
    }
    // Said once; OK again keeps it (the profile is served after the next start).
    if (e.isEmbedded() && !embeddedProfiles_.isEmpty() && !embeddedProfiles_.contains(e.profile) &&
        pointedOut_ != e) {
        pointedOut_ = e;
        showProblem(QStringLiteral("Profile"),
                    tr("the console's own remote side does not serve profile %1 now; it will "
                       "after jexhost starts again. OK keeps it.")
                        .arg(e.profile));
        return;
    }
    problem_->hide();
    QDialog::accept();
}

// The console reads the token from this file when it connects: it must be
// there and, holding a secret, readable by its owner only.
QString ServerDialog::tokenFileFault(const ServerEntry& e) const {
    if (e.isEmbedded()) return {};
    const QFileInfo file(tokenFilePath(e, serversFile_));
    if (!file.isFile()) return tr("no such file: %1").arg(file.filePath());
    if (file.permissions() & kOthersMayRead)
        return tr("%1 is readable by others; make it owner-only (chmod 600)").arg(file.filePath());
    return {};
}

void ServerDialog::showProblem(const QString& key, const QString& reason) {
    problem_->setText(fieldLabel(key) + QStringLiteral(": ") + reason);
    problem_->show();
    QWidget* const fields[] = {name_, game_, remote_, tokenFile_, profile_, tag_};
    for (QWidget* field : fields)
        if (field->objectName().compare(key, Qt::CaseInsensitive) == 0) field->setFocus();
}

void ServerDialog::updateTokenField() {
    const bool embedded = remote_->text().trimmed() == kEmbeddedRemote;
    tokenFile_->setEnabled(!embedded);
    browse_->setEnabled(!embedded);
}

}  // namespace jexhost::servers
