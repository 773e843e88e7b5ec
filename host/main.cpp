// jexhost: the operator's console. It keeps a list of game servers, embeds
// the settings panel of the one open and carries the panel's requests to the
// remote side of that server.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QSettings>
#include <QTextStream>
#include <QTimer>

#include "host/console/console_window.h"
#include "host/fleet/fleet_command.h"
#include "host/games/add_remote.h"
#include "host/games/game_command.h"
#include "host/host_options.h"
#include "host/host_session.h"
#include "host/log.h"
#include "host/status/status_report.h"

namespace {

// How long --screenshot waits for the first answer.
constexpr int kScreenshotWaitMs = 30000;

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Once the open server's first answer is in the panel, saves the window as a
// PNG and quits: 0 when written, 1 when not or when no answer comes in time.
void takeScreenshot(jexhost::ConsoleWindow& window, jexhost::HostSession& session,
                    const QString& file) {
    QObject::connect(
        &session, &jexhost::HostSession::answerApplied, &window,
        [&window, file] {
            // Let the panel paint what it was given before the picture is taken.
            QTimer::singleShot(300, &window, [&window, file] {
                if (window.grab().save(file, "PNG")) return QApplication::exit(0);
                QTextStream(stderr) << "jexhost: cannot write " << file << Qt::endl;
                QApplication::exit(1);
            });
        },
        Qt::SingleShotConnection);
    QObject::connect(
        &session, &jexhost::HostSession::openFailed, &window,
        [](const QString&, const QString& why) {
            QTextStream(stderr) << "jexhost: no screenshot taken: " << why << Qt::endl;
            QApplication::exit(1);
        },
        Qt::QueuedConnection);  // it may fail before the event loop runs
    QTimer::singleShot(kScreenshotWaitMs, &window, [] {
        QTextStream(stderr) << "jexhost: no answer within " << kScreenshotWaitMs / 1000
                            << " s; no screenshot taken" << Qt::endl;
        QApplication::exit(1);
    });
}

// A failure to start, on the terminal and, when there is a screen to show it
// on, in a box: a console started from a desktop launcher has no terminal.
int refuseStart(const QString& error) {
    QTextStream(stderr) << "jexhost: " << error << Qt::endl;
    const QString platform = QGuiApplication::platformName();
    if (platform != u"offscreen" && platform != u"minimal") {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("jexhost"),
                        QStringLiteral("jexhost cannot start."), QMessageBox::Ok);
        box.setInformativeText(error);
        box.setStyleSheet(QStringLiteral("QLabel { min-width: 32em; }"));  // a path on one line
        box.exec();
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("jexhost"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(jexhost::kHostVersion));
    // Read before any GUI object exists: --help and --version need no display.
    const auto parsed = jexhost::parseHostOptions(argumentsOf(argc, argv));
    if (const auto* exit = std::get_if<jexhost::ParseExit>(&parsed)) {
        QTextStream(exit->isError ? stderr : stdout) << exit->text << Qt::endl;
        return exit->isError ? exit->status : 0;
    }
    const jexhost::HostOptions& options = std::get<jexhost::HostOptions>(parsed);
    if (!options.applyPreset.isEmpty() || !options.undoBatch.isEmpty()) {
        QCoreApplication app(argc, argv);
        jexhost::installLogFormat();
        QTextStream out(stdout), err(stderr);
        return jexhost::fleet::runFleetCommand(options, out, err);
    }
    if (!options.gameAction.isEmpty()) {
        QCoreApplication app(argc, argv);
        jexhost::installLogFormat();
        QTextStream out(stdout), err(stderr);
        return jexhost::games::runGameCommand(options, out, err);
    }
    if (!options.addRemote.isEmpty()) {
        QCoreApplication app(argc, argv);
        jexhost::installLogFormat();
        QTextStream out(stdout), err(stderr);
        return jexhost::games::runAddRemote(options, out, err);
    }
    if (options.status) {
        QCoreApplication app(argc, argv);
        jexhost::installLogFormat();
        QTextStream out(stdout), err(stderr);
        return jexhost::runStatus(options, out, err);
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/jexhost/jexhost.png")));
    QApplication::setDesktopFileName(QStringLiteral("jexhost"));
    jexhost::installLogFormat();

    jexhost::HostSession session(options);
    QString error;
    if (!session.start(&error)) return refuseStart(error);

    QSettings settings(session.root() + QStringLiteral("/settings/console.ini"),
                       QSettings::IniFormat);
    jexhost::ConsoleWindow window(session, settings);
    // A screenshot shows the same server every time: the named one or the first.
    const QString first = window.startServer(options.server, options.screenshot.isEmpty());
    const auto named = session.server(first);
    if (!options.server.isEmpty() && (!named || named->name != options.server)) {
        QTextStream(stderr) << "jexhost: no server named " << options.server << " in "
                            << QDir::toNativeSeparators(session.serversFile()) << Qt::endl;
        return 2;
    }
    window.show();
    if (!options.screenshot.isEmpty()) {
        if (first.isEmpty()) {
            QTextStream(stderr) << "jexhost: no server to open for the screenshot" << Qt::endl;
            return 1;
        }
        takeScreenshot(window, session, options.screenshot);
    }
    if (!first.isEmpty()) window.openServer(first);
    if (options.quitAfterMs >= 0)
        QTimer::singleShot(options.quitAfterMs, &app, &QApplication::quit);
    const int status = app.exec();
    window.close();  // keeps the layout when quit by a timer
    return status;
}
