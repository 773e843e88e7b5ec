#pragma once
// Keeps the operators of a token file up to date while the service runs. The
// file is read again as soon as it is no longer the one read last: when the
// file or its folder says so (an atomic replacement is a new file in the
// folder), when asked (SIGHUP), and when the link is about to judge a token or
// a request, so that no request sent after a change is judged by the entry it
// replaced. Other files written in the folder cost one look at the file's
// identity each, never a delay.
//
// A file that breaks a rule is refused with its line, and the operators taken
// before are kept. One that is open to others is trusted only for removals. A
// file that is gone or holds no operator keeps the open connections (the log
// says so loudly) and takes no new login until it is back.

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>

#include "remote/net/operators.h"

namespace jexremote {

class TokenFileWatch : public QObject {
    Q_OBJECT
public:
    TokenFileWatch(QString path, QList<Operator> operators, QObject* parent = nullptr);

    // Reads the file again when it is not the one read last; a stat otherwise.
    void catchUp();
    // Reads the file now; `why` goes to the log. Asked for (SIGHUP), the
    // outcome is logged even when nothing changed.
    void reload(const QString& why, bool asked);

signals:
    // The file now admits these operators, and they differ from the last ones
    // (or logins were refused until now).
    void operatorsChanged(const QList<Operator>& operators);
    // The file is gone or holds no operator: no new login, open ones stay.
    void loginsRefused();

private:
    // What tells one file (or one content of it) from another.
    struct Identity {
        bool exists = false;
        quint64 device = 0, inode = 0;
        qint64 size = 0, modifiedNs = 0, changedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity identify(const QString& path);

    void watch();
    void take(const QList<Operator>& operators, const QString& why, bool asked);

    QString path_;
    QList<Operator> operators_;
    bool loginsOpen_ = true;
    Identity read_;  // the file as it was when read last
    QFileSystemWatcher watcher_;
    QString lastRefusal_;  // a refusal is logged once, not at every notice
};

}  // namespace jexremote
