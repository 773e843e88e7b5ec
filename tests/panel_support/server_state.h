#pragma once
// A game server's settings as the remote side sends them, written out by hand
// (not by the code under test) so replies and expected update bodies are
// independent of the panel's own conversions.

#include <QString>
#include <QStringList>

namespace jextest {

// Base64 of the UTF-8 bytes, as the remote side encodes free text.
QString b64(const QString& text);

struct ServerState {
    QStringList fields;  // the 34 reply fields, already in wire form
    QStringList roles = {"True", "False", "True", "False"};
    QStringList weapons = {b64("M16") + ",1", b64("MP5") + ",0", b64("Barrett .50") + ",1"};
    QString autoLoad = "1";

    // A typical server: every value inside its list.
    static ServerState typical();

    QString reply() const;
};

}  // namespace jextest
