#pragma once
// gzip in memory (zlib), for the audit archives: "zcat audit-*.jsonl.gz"
// reads them back.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace jexremote {

QByteArray gzipped(QByteArrayView bytes);

// The bytes of a gzip file; nothing when it is not one, is cut, or holds more
// than `limit` bytes.
std::optional<QByteArray> gunzipped(QByteArrayView gzip, qint64 limit);

}  // namespace jexremote
