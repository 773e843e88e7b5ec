#pragma once
// A game server's process as the manager sees it: started in a session of
// its own so that it outlives the manager (a restart of jexremote, kill -9,
// an upgrade never stops a game), known again afterwards by its pid and the
// time the kernel started it (never by its name: a pid can be reused), and
// watched for its end without polling.
//
// The game writes its output, standard output and errors alike, to a file in
// its own folder opened for appending, so the manager can read it, follow it
// and cut it short while the game writes on.

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexremote::games {

// A process as the kernel knows it: its pid and its start time in clock
// ticks since boot (field 22 of /proc/PID/stat). Two processes with the same
// pid never have the same start time.
struct ProcessIdentity {
    qint64 pid = 0;
    quint64 startTicks = 0;
    bool operator==(const ProcessIdentity&) const = default;
};

// The identity of process `pid` now; nothing when it does not exist.
std::optional<ProcessIdentity> identityOf(qint64 pid);
// Whether the process `identity` names is still the one running under its pid.
bool isRunning(const ProcessIdentity& identity);

// Whether any process of process group `group` still runs (a zombie only
// waits for its reaper and counts as ended).
bool groupHasLiving(qint64 group);

struct Launch {
    QString program;  // an absolute path; run as it is, never through a shell
    QStringList arguments;
    QString folder;      // its working folder and HOME
    QString outputFile;  // appended to, created owner-only
};

// Starts `launch` as a child in a new session, with standard input from
// /dev/null and an environment of its own (HOME, PATH, LANG). Its identity,
// or nothing and the reason.
std::optional<ProcessIdentity> startProcess(const Launch& launch, QString* reason);

// How a process ended, in the operator's words: "exited with code 1",
// "killed by signal 9 (Killed)", or, for a process started by an earlier
// manager whose status cannot be read, "ended (its status was not seen)".
QString exitText(std::optional<int> waitStatus);

// Says once when the process it watches has ended, with its wait status when
// it was this manager's child. The watch holds a pidfd: no polling.
class ProcessWatch : public QObject {
    Q_OBJECT
public:
    explicit ProcessWatch(const ProcessIdentity& identity, QObject* parent = nullptr);
    ~ProcessWatch() override;
    // False when the process could not be watched (already gone): `ended`
    // comes at the next turn of the event loop then.
    bool watching() const { return pidfd_ >= 0; }

signals:
    // `waitStatus` as waitpid gives it, when the process was our child.
    void ended(std::optional<int> waitStatus);

private:
    void reap();
    ProcessIdentity identity_;
    int pidfd_ = -1;
    bool done_ = false;
};

}  // namespace jexremote::games
