#pragma once
// The servers this side manages: one state file per profile index,
// "server-N.ini" in the state folder. All are read and checked at start; an
// update replaces a server's settings in memory only once its file is on disk.

#include <QMap>
#include <QString>

#include <optional>
#include <variant>

#include "remote/store/server_settings.h"

namespace jexremote {

class ServerStore {
public:
    explicit ServerStore(QString folder);

    // Creates the folder (owner-only) when missing, reads and checks every
    // state file, and creates profile 0 with a new server's settings when
    // there is none. False, with the reason in `error`, when a file is
    // refused or the folder cannot be used.
    bool open(QString* error);

    std::optional<ServerSettings> settings(int profile) const;
    QList<int> profiles() const { return servers_.keys(); }

    // Writes the profile's file, then keeps the settings. False, with the
    // reason in `error`, when the file cannot be written; the profile then
    // keeps its old settings.
    bool store(int profile, const ServerSettings& settings, QString* error);
    // The same, given the settings' stateFileText().
    bool store(int profile, const ServerSettings& settings, const QByteArray& text, QString* error);

    QString fileOf(int profile) const;

private:
    // Each profile's state file read and checked, in the order given.
    QList<std::variant<ServerSettings, QString>> readAll(const QList<int>& profiles) const;

    QString folder_;
    QMap<int, ServerSettings> servers_;
};

}  // namespace jexremote
