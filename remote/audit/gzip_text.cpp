#include "remote/audit/gzip_text.h"

#include <zlib.h>

namespace jexremote {

namespace {

constexpr int kGzipWindow = 15 + 16;  // the largest window, with a gzip header
constexpr qsizetype kChunk = 256 * 1024;

}  // namespace

QByteArray gzipped(QByteArrayView bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

std::optional<QByteArray> gunzipped(QByteArrayView gzip, qint64 limit) {
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindow) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gzip.data()));
    stream.avail_in = uInt(gzip.size());
    QByteArray out;
    int result = Z_OK;
    while (result == Z_OK) {
        const qsizetype done = out.size();
        if (done > limit) break;
        out.resize(done + kChunk);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        stream.avail_out = uInt(kChunk);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(qsizetype(stream.total_out));
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END || out.size() > limit) return std::nullopt;
    return out;
}

}  // namespace jexremote
