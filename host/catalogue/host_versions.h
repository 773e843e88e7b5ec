#pragma once
// The one statement of this host's own versions, as plug-ins name them in the
// minimum-version fields of their descriptor record. A plug-in whose minimum
// for any of these parts is newer than the version here is refused.
//
// The numbers are the levels this host and the sibling components built with
// it provide, in the plug-ins' own numbering (decimal digits, e.g. "1201").

#include <array>

namespace jexhost::catalogue {

struct HostVersion {
    const char* field;    // the descriptor field naming the minimum
    const char* part;     // the part of the host it concerns, as the operator reads it
    const char* version;  // what this host provides
};

inline constexpr std::array<HostVersion, 5> kHostVersions{{
    {"MinRCVer", "remote client", "1201"},
    {"MinWOBVer", "jexrcWOB", "1004"},
    {"MinZTAVer", "jexrcZTA", "1107"},
    {"MinJEXVer", "JEX host", "31001"},
    {"MinRCCVer", "remote client core", "3505"},
}};

}  // namespace jexhost::catalogue
