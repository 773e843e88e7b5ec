#pragma once
// Error reports: each report is one JSON file in outbox/ below the host's
// folder, from where the host forwards it. Its fields are named after the
// six entries of the record: number, description, library, procedure,
// critical, line; "created" adds the local time of writing.

#include <QString>
#include <QVariantList>

namespace zta {

inline constexpr qsizetype kReportEntries = 6;

// Writes the report of a six-entry record (the caller checks the count) as
// a new file in the outbox and returns its path. Raises when it cannot.
QString writeErrorReport(const QVariantList& record);

}  // namespace zta
