#include "host_fixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMutex>
#include <QTest>

#include "host/servers/server_list_model.h"

namespace jextest {

void prepareHostRoot(const TempHost& host) {
    QDir().mkpath(host.path("imgs"));
    for (const QString face : {"butup.gif", "butdown.gif"})
        QFile::copy(JEX_STAGE_DIR "/imgs/" + face, host.path("imgs/" + face));
    host.write("settings/config.ini", "[Settings]\nReportErrors=0\n");
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
