#pragma once
// The library's version, from the one project version of the build.

#include <QString>

namespace kdrsm {

struct LibraryVersion {
    qint16 major;
    qint16 minor;
    qint16 revision;  // the fourth number of the file version
};

constexpr LibraryVersion kVersion{KDRSM_VERSION_MAJOR, KDRSM_VERSION_MINOR, KDRSM_VERSION_REVISION};

// "major.minor.revision", each in plain decimal: 1.1.0.8 gives "1.1.8".
inline QString versionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(kVersion.major)
        .arg(kVersion.minor)
        .arg(kVersion.revision);
}

}  // namespace kdrsm
