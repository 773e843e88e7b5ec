#include "remote/games/game_process.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstring>

#include <vector>

namespace jexremote::games {

std::optional<ProcessIdentity> identityOf(qint64 pid) {
    if (pid <= 0) return std::nullopt;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray line = stat.read(4096);
    // The command name in parentheses may hold blanks and parentheses: the
    // fields that follow start after the last ')', with the state (field 3).
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0) return std::nullopt;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    constexpr int kStartTimeAfterName = 22 - 3;
    if (fields.size() <= kStartTimeAfterName) return std::nullopt;
    bool ok = false;
    const quint64 ticks = fields[kStartTimeAfterName].toULongLong(&ok);
    if (!ok) return std::nullopt;
    // A zombie has ended already: only waiting for it is left.
    if (fields[0] == "Z") return std::nullopt;
    return ProcessIdentity{pid, ticks};
}

bool isRunning(const ProcessIdentity& identity) {
    const auto now = identityOf(identity.pid);
    return now && *now == identity;
}

bool groupHasLiving(qint64 group) {
    if (group <= 0 || ::kill(-static_cast<pid_t>(group), 0) != 0) return false;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.read(4096);
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        // After the name: state (3), parent (4), group (5).
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z") return true;
    }
    return false;
}

std::optional<ProcessIdentity> startProcess(const Launch& launch, QString* reason) {
    const auto fail = [reason](const QString& why) -> std::optional<ProcessIdentity> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    if (!launch.program.startsWith(u'/'))
        return fail(QStringLiteral("the program is not an absolute path"));

    const QByteArray program = QFile::encodeName(launch.program);
    const QByteArray folder = QFile::encodeName(launch.folder);
    const QByteArray output = QFile::encodeName(launch.outputFile);
    std::vector<QByteArray> argumentBytes{program};
    for (const QString& argument : launch.arguments) argumentBytes.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& argument : argumentBytes) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> environmentBytes{
        "HOME=" + folder, "PATH=/usr/local/bin:/usr/bin:/bin:/usr/games", "LANG=C.UTF-8"};
    std::vector<char*> envp;
    for (QByteArray& entry : environmentBytes) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.constData(),
                                     O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    // Nothing of the manager's (sockets, state files) reaches the game.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // A session of its own: no signal meant for the manager's process group
    // (a terminal's Ctrl+C, a service stop) reaches the game.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGHUP, SIGINT, SIGTERM, SIGCHLD}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return fail(QStringLiteral("could not start %1: %2")
                        .arg(launch.program, QString::fromLocal8Bit(std::strerror(error))));
    if (auto identity = identityOf(pid)) return identity;
    // It ended at once (a zombie has no identity): its watch reports how.
    return ProcessIdentity{pid, 0};
}

QString exitText(std::optional<int> waitStatus) {
    if (!waitStatus) return QStringLiteral("ended (its status was not seen)");
    if (WIFEXITED(*waitStatus))
        return QStringLiteral("exited with code %1").arg(WEXITSTATUS(*waitStatus));
    if (WIFSIGNALED(*waitStatus)) {
        const int sig = WTERMSIG(*waitStatus);
        const char* name = sigdescr_np(sig);
        return QStringLiteral("killed by signal %1 (%2)")
            .arg(sig)
            .arg(name ? QString::fromLatin1(name) : QStringLiteral("unknown"));
    }
    return QStringLiteral("ended");
}

ProcessWatch::ProcessWatch(const ProcessIdentity& identity, QObject* parent)
    : QObject(parent), identity_(identity) {
    pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(identity.pid), 0));
    if (pidfd_ >= 0 && identity.startTicks != 0) {
        // The pid may have been reused between taking the identity and here.
        const auto now = identityOf(identity.pid);
        if (now && !(*now == identity)) {
            ::close(pidfd_);
            pidfd_ = -1;
        }
    }
    if (pidfd_ < 0) {
        QTimer::singleShot(0, this, &ProcessWatch::reap);
        return;
    }
    auto* notifier = new QSocketNotifier(pidfd_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
        notifier->setEnabled(false);
        reap();
    });
}

ProcessWatch::~ProcessWatch() {
    if (pidfd_ >= 0) ::close(pidfd_);
}

void ProcessWatch::reap() {
    if (done_) return;
    done_ = true;
    int status = 0;
    std::optional<int> waitStatus;
    // Only our own child can be waited for; one started by an earlier
    // manager belongs to init now.
    if (::waitpid(static_cast<pid_t>(identity_.pid), &status, WNOHANG) ==
        static_cast<pid_t>(identity_.pid))
        waitStatus = status;
    emit ended(waitStatus);
}

}  // namespace jexremote::games
