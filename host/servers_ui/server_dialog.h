#pragma once
// Adding or editing one server: a small form whose values are checked by the
// servers file's rules before the dialog closes. The remote's token is never
// asked for here, only the path of the file that holds it.

#include <QDialog>
#include <QList>
#include <QSet>
#include <QStringList>

#include <optional>

#include "host/servers/server_entry.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace jexhost::servers {

class ServerDialog : public QDialog {
    Q_OBJECT
public:
    // `existing` null: a new server. `others` are the servers it must not
    // clash with; `knownGames` fill the game list (any text may be typed);
    // `serversFile` anchors a relative token file path.
    ServerDialog(const ServerEntry* existing, const QList<ServerEntry>& others,
                 const QStringList& knownGames, const QString& serversFile,
                 QWidget* parent = nullptr);

    // The entry as the form holds it (the existing id kept, empty for a new one).
    ServerEntry entry() const;
    // What stopped the last accept; empty when nothing did.
    QString problem() const;
    // The profiles the console's own remote side serves now; an embedded
    // server on another is pointed out once before the dialog closes.
    void setEmbeddedProfiles(const QSet<int>& profiles) { embeddedProfiles_ = profiles; }

    void accept() override;

private:
    QString tokenFileFault(const ServerEntry& entry) const;
    void showProblem(const QString& key, const QString& reason);
    void updateTokenField();

    QString id_;
    QList<ServerEntry> others_;
    QSet<int> embeddedProfiles_;
    std::optional<ServerEntry> pointedOut_;  // the entry the last note was about
    QString serversFile_;
    QLineEdit* name_;
    QComboBox* game_;
    QLineEdit* remote_;
    QLineEdit* tokenFile_;
    QPushButton* browse_;
    QSpinBox* profile_;
    QLineEdit* tag_;
    QLabel* problem_;
};

}  // namespace jexhost::servers
