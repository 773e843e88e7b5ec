#pragma once
// The Host Message as it is read back after the operator edited it: the
// line breaks it came with stay as they came (LF, CR, CR LF, ...) wherever
// the operator did not type, and only a break typed with Enter is CR LF.

#include <QString>

namespace kdrsm {

// `received` is the text as it came; `receivedLines` the same with each line
// break as one LF; `lines` the text now, its breaks as LF. The characters of
// `lines` that are the received ones, in order, are found by the shortest
// set of insertions and deletions; a text changed beyond kMaxEdits of them
// keeps the received breaks only before its first and after its last change.
QString withReceivedBreaks(const QString& received, const QString& receivedLines,
                           const QString& lines);

inline constexpr int kMaxEdits = 1000;

}  // namespace kdrsm
