#pragma once
// jexhost's command line.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <variant>

namespace jexhost {

struct HostOptions {
    QUrl remote;        // empty: start the remote side in-process
    QString tokenFile;  // the token to present; empty: the in-process side's, below the root
    QString stateDir;   // state folder of the in-process remote side; empty: below the root
    qint32 profile = 0;
    QString tag = QStringLiteral("jexhost");
    int timeoutMs = 10000;    // a request unanswered this long gets an empty answer
    int keepAliveMs = 15000;  // ping interval of an idle link; a missed pong drops it
    int quitAfterMs = -1;     // -1: run until closed
    QString screenshot;       // PNG of the window written when quitting after quitAfterMs
};

// The options, or the text to print and exit with (help, version, an error;
// `isError` tells which).
struct ParseExit {
    QString text;
    bool isError = false;
};
std::variant<HostOptions, ParseExit> parseHostOptions(const QStringList& arguments);

}  // namespace jexhost
