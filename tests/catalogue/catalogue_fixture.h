#pragma once
// A descriptor with the minimum versions the real panel states, for tests
// that change one field at a time.

#include "host/catalogue/descriptor.h"

namespace cattest {

inline const QString kFirstGame = QStringLiteral("Delta Force,  V1.5.0.5");
inline const QString kSecondGame =
    QStringLiteral("Delta Force, NovaWorld Affiliate Server V1.5.0.11A");

inline jexhost::catalogue::Descriptor panelDescriptor() {
    jexhost::catalogue::Descriptor d;
    d.name = QStringLiteral("Test Panel");
    d.games = {kFirstGame, kSecondGame};
    d.hasInterface = true;
    d.serverMenu = true;
    d.serverMenuItems = {QStringLiteral("Server"), QString()};
    d.minimums = {{"MinRCVer", "1201"},
                  {"MinWOBVer", "1004"},
                  {"MinZTAVer", "1107"},
                  {"MinJEXVer", "31001"},
                  {"MinRCCVer", "3505"}};
    return d;
}

}  // namespace cattest
