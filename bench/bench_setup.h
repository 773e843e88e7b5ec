#pragma once
// What the benchmarks that run real processes set up: files written into
// their temporary folders, and free loopback UDP ports for the games.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QList>
#include <QUdpSocket>

#include <memory>
#include <vector>

namespace jexbench {

inline void writeFile(const QString& path, const QByteArray& text, bool ownerOnly = false) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    if (ownerOnly) file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(text);
}

// Free UDP ports on loopback, all held until every one is found so that none
// comes twice.
inline QList<quint16> freeUdpPorts(int count) {
    std::vector<std::unique_ptr<QUdpSocket>> held;
    QList<quint16> ports;
    for (int n = 0; n < count; ++n) {
        held.push_back(std::make_unique<QUdpSocket>());
        held.back()->bind(QHostAddress::LocalHost, 0);
        ports << held.back()->localPort();
    }
    return ports;
}

}  // namespace jexbench
