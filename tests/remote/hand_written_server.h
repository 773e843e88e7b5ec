#pragma once
// A server written out by hand: its state file and the update body that
// restates it, as the panel would send it. Tests and benchmarks change one
// piece of either.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "exchange/wire/settings_text.h"

namespace jextest {

inline QString base64(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

// Line numbers matter to the tests: Players is on line 6, [Roles] on 36.
inline QByteArray stateText(const QString& serverName = QStringLiteral("Night Ops")) {
    return QStringLiteral(
               "[Settings]\nServerName=%1\nCountry=US\nSession=0\nPassword=\nPlayers=31\n"
               "Time=30\nDelay=2\nMaps=2\nRespawn=8\nDedicated=1\nNovaLogin=1\nSkins=0\n"
               "AutoBalance=0\nMessage=Hi\nBluePass=\nRedPass=\nFFKills=1\nMaxFF=6\nFFTags=1\n"
               "FFWarn=1\nPSPTime=15\nFlagReturn=210\nLives=100\nTracers=1\nClays=1\n"
               "AutoRange=0\nMinPingChk=0\nMinPing=0\nMaxPingChk=0\nMaxPing=15000\nOneShot=0\n"
               "FatBullets=0\nDestroyBuildings=1\nGamePort=17479\n"
               "[Roles]\nCQB=0\nGunner=1\nMedic=0\nSniper=0\n"
               "[Weapons]\nM4=1\nMP5=0\n"
               "[Options]\nAutoLoad=0\n")
        .arg(serverName)
        .toUtf8();
}

// The update body that sends the settings of stateText() back unchanged.
inline kdrsm::wire::UpdateBody restatingBody(
    const QString& serverName = QStringLiteral("Night Ops")) {
    kdrsm::wire::UpdateBody body;
    body.fields = QStringList{base64(serverName), base64(QStringLiteral("US"))} +
                  QStringList{"0", "", "31", "30", "2", "2", "8", "1", "1", "0", "0"} +
                  QStringList{base64(QStringLiteral("Hi"))} +
                  QStringList{"",  "",  "1", "6", "1", "1",     "15", "210", "100", "1",
                              "1", "0", "0", "0", "0", "15000", "0",  "0",   "1"};
    body.encodedWeapons = {base64(QStringLiteral("M4"))};
    body.roleSlots = {QString(), QStringLiteral("Gunner"), QString(), QString()};
    body.autoLoad = QStringLiteral("0");
    return body;
}

}  // namespace jextest
