// jexhost: a reference host for the settings panel. It embeds the panel in
// its window and carries the panel's requests to the remote side.
#include <QApplication>
#include <QTextStream>
#include <QTimer>

#include "host/host_options.h"
#include "host/host_session.h"
#include "host/log.h"
#include "host/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // takes Qt's own options (-platform ...) off the line
    QApplication::setApplicationName(QStringLiteral("jexhost"));
    jexhost::installLogFormat();

    const auto parsed = jexhost::parseHostOptions(QApplication::arguments());
    if (const auto* exit = std::get_if<jexhost::ParseExit>(&parsed)) {
        QTextStream(exit->isError ? stderr : stdout) << exit->text << Qt::endl;
        return exit->isError ? 2 : 0;
    }
    const jexhost::HostOptions& options = std::get<jexhost::HostOptions>(parsed);

    jexhost::HostSession session(options);
    QString error;
    if (!session.start(&error)) {
        QTextStream(stderr) << "jexhost: " << error << Qt::endl;
        return 1;
    }

    jexhost::MainWindow window(session);
    window.show();
    window.showPanel();
    if (options.quitAfterMs >= 0) {
        QTimer::singleShot(options.quitAfterMs, &app, [&] {
            if (!options.screenshot.isEmpty() && !window.grab().save(options.screenshot))
                QTextStream(stderr) << "jexhost: cannot write " << options.screenshot << Qt::endl;
            QApplication::quit();
        });
    }
    return app.exec();
}
