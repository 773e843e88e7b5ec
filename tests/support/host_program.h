#pragma once
// jexhost run from the command line, as scripts run it. The including test
// program defines JEXHOST_PATH, the built jexhost.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace jextest {

// What one run of jexhost gave.
struct HostRun {
    int exitCode = -1;                        // -1 when it crashed or did not end
    QStringList lines;                        // of its output
    std::map<QString, QJsonObject> byServer;  // its JSON lines by their server
    QString err;
};

// jexhost with `arguments` run to its end, without a display when `display`
// is false; this process's event loop runs meanwhile, for remote sides in it.
inline HostRun runJexhost(const QStringList& arguments, bool display = true, int waitMs = 60000) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display)
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(JEXHOST_PATH), arguments);
    const bool ended =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, waitMs);
    EXPECT_TRUE(ended) << "jexhost did not end in time";
    HostRun run;
    run.exitCode = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromUtf8(process.readAllStandardError());
    for (const QString& line :
         QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        run.lines << line;
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (!object.isEmpty()) run.byServer[object["server"].toString()] = object;
    }
    return run;
}

}  // namespace jextest
