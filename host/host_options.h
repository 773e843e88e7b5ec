#pragma once
// jexhost's command line.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <variant>

namespace jexhost {

struct HostOptions {
    QUrl remote;          // empty: start the remote side in-process
    QString remoteState;  // state file of the in-process remote side
    qint32 profile = 0;
    QString tag = QStringLiteral("jexhost");
    QString privilegesFile;  // empty: the operator is a super administrator
    int quitAfterMs = -1;    // -1: run until closed
    QString screenshot;      // PNG of the window written when quitting after quitAfterMs
};

// The options, or the text to print and exit with (help, version, an error;
// `isError` tells which).
struct ParseExit {
    QString text;
    bool isError = false;
};
std::variant<HostOptions, ParseExit> parseHostOptions(const QStringList& arguments);

}  // namespace jexhost
