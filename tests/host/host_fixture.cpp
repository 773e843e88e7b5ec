#include "host_fixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "host/servers/server_list_model.h"

namespace jextest {

void prepareHostRoot(const TempHost& host) {
    QDir().mkpath(host.path("imgs"));
    for (const QString face : {"butup.gif", "butdown.gif"})
        QFile::copy(JEX_STAGE_DIR "/imgs/" + face, host.path("imgs/" + face));
    host.write("settings/config.ini", "[Settings]\nReportErrors=0\n");
}

void writeTokenFile(const QString& path, const QByteArray& lines) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(lines);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

ShownConsole::ShownConsole(jexhost::HostSession& session)
    : session_(session),
      settings_(session.root() + QStringLiteral("/settings/console.ini"), QSettings::IniFormat),
      window_(session, settings_) {
    window_.show();
}

ShownConsole::~ShownConsole() {
    session_.closePanel();
    if (auto* form = window_.panelHost()->findChild<QWidget*>(QStringLiteral("frmrcKDRSM")))
        form->setParent(nullptr);
}

QString ShownConsole::idOf(const QString& name) const {
    for (const auto& entry : session_.servers()->servers())
        if (entry.name == name) return entry.id;
    return {};
}

QString ShownConsole::shownName() const {
    auto* name = control<QLineEdit>("savServerName");
    return name ? name->text() : QString();
}

QList<bool> ShownConsole::guardedEnabled() const {
    QList<bool> enabled;
    for (const char* name :
         {"savSession", "savPlayers", "savDedicated", "savSkins", "savNovaLogin"}) {
        auto* control = this->control<QWidget>(name);
        enabled << (control && control->isEnabled());
    }
    return enabled;
}

bool ShownConsole::open(const QString& name) {
    const QString id = idOf(name);
    if (id.isEmpty()) return false;
    bool answered = false;
    const auto connection = QObject::connect(&session_, &jexhost::HostSession::answerApplied,
                                             [&](const QString& to) { answered |= to == id; });
    window_.openServer(id);
    const bool came = QTest::qWaitFor([&] { return answered; }, kHostWaitMs);
    QObject::disconnect(connection);
    return came;
}

QString ShownConsole::linkText(const QString& name) const {
    const auto* model = session_.servers();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->server(row).name == name)
            return model->index(row, jexhost::servers::ServerListModel::LinkColumn)
                .data()
                .toString();
    return {};
}

namespace {
quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}
}  // namespace

RemoteProcess::RemoteProcess(QString tokenFile, QString stateDir)
    : tokenFile_(std::move(tokenFile)), stateDir_(std::move(stateDir)), port_(freePort()) {}

RemoteProcess::~RemoteProcess() {
    kill();
}

bool RemoteProcess::start() {
    process_.start(
        QStringLiteral(JEXREMOTE_PATH),
        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port_),
         QStringLiteral("--token-file"), tokenFile_, QStringLiteral("--state-dir"), stateDir_});
    if (!process_.waitForStarted()) return false;
    const QDeadlineTimer deadline(kHostWaitMs);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port_);
        if (probe.waitForConnected(100)) return true;
        QTest::qWait(20);
    }
    return false;
}

void RemoteProcess::kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished();
    log_ += process_.readAllStandardError();
}

QUrl RemoteProcess::url() const {
    return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port_));
}

QByteArray RemoteProcess::log() {
    log_ += process_.readAllStandardError();
    return log_;
}

namespace {
QMutex captureLock;
QStringList captured;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    {
        QMutexLocker locker(&captureLock);
        captured << qFormatLogMessage(type, context, message);
    }
    previousHandler(type, context, message);
}
}  // namespace

LogCapture::LogCapture() {
    captured.clear();
    previousHandler = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previousHandler);
}

QString LogCapture::text() const {
    QMutexLocker locker(&captureLock);
    return captured.join(u'\n');
}

}  // namespace jextest
