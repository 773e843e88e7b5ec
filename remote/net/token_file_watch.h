#pragma once
// Keeps the operators of a token file up to date while the service runs: the
// file is read again when it changes (its folder is watched too, since an
// atomic replacement is a new file) and when asked (SIGHUP). A file that
// breaks a rule is refused with its line, and the operators taken before are
// kept.

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QTimer>

#include "remote/net/operators.h"

namespace jexremote {

class TokenFileWatch : public QObject {
    Q_OBJECT
public:
    TokenFileWatch(QString path, QList<Operator> operators, QObject* parent = nullptr);

    // Reads the file now; `why` goes to the log. Asked for (SIGHUP), the
    // outcome is logged even when nothing changed.
    void reload(const QString& why, bool asked);

signals:
    // The file now admits these operators, and they differ from the last ones.
    void operatorsChanged(const QList<Operator>& operators);

private:
    void watch();

    QString path_;
    QList<Operator> operators_;
    QFileSystemWatcher watcher_;
    QString lastRefusal_;  // a refusal is logged once, not at every notice
    QTimer settle_;        // one reading for a burst of change notices
};

}  // namespace jexremote
