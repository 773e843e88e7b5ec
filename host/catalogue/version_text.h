#pragma once
// Version numbers as plug-ins state them: decimal parts joined by "."
// ("1201", "1.10.3"). They are compared number by number, a missing part
// counting as 0, so "1.10" is newer than "1.9" and "1.2" equals "1.2.0".

#include <QList>
#include <QString>

#include <compare>
#include <optional>

namespace jexhost::catalogue {

using VersionParts = QList<quint32>;

// The numbers of `text`, or nothing when it is not a version number: empty,
// anything but ASCII digits and dots (blanks and signs included), an empty
// part, a part longer than nine digits, or more than eight parts.
std::optional<VersionParts> parseVersion(const QString& text);

std::strong_ordering compareVersions(const VersionParts& a, const VersionParts& b);

}  // namespace jexhost::catalogue
