#include "form/kept_breaks.h"

#include <QList>

#include <algorithm>
#include <optional>
#include <vector>

namespace kdrsm {

namespace {

// For each character of `receivedLines`, where it starts in `received`, and
// the end: a break of two characters (CR LF) is one LF.
std::vector<qsizetype> rawPositions(const QString& received, qsizetype count) {
    std::vector<qsizetype> at;
    at.reserve(static_cast<size_t>(count) + 1);
    qsizetype i = 0;
    for (qsizetype n = 0; n < count && i < received.size(); ++n) {
        at.push_back(i);
        const bool crLf =
            received.at(i) == u'\r' && i + 1 < received.size() && received.at(i + 1) == u'\n';
        i += crLf ? 2 : 1;
    }
    at.push_back(i);
    return at;
}

// For each character of `b`, the index of the character of `a` it is, or -1
// for one put in; empty when more than kMaxEdits changes lie between them.
std::optional<std::vector<qsizetype>> matches(QStringView a, QStringView b) {
    const qsizetype n = a.size();
    const qsizetype m = b.size();
    const qsizetype most = std::min<qsizetype>(n + m, kMaxEdits);
    const qsizetype offset = most + 1;
    std::vector<qsizetype> v(static_cast<size_t>(2 * most + 3), 0);
    std::vector<std::vector<qsizetype>> trace;
    qsizetype edits = -1;
    for (qsizetype d = 0; d <= most && edits < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d - 1), v.begin() + (offset + d + 2));
        for (qsizetype k = -d; k <= d; k += 2) {
            qsizetype x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                              ? v[offset + k + 1]
                              : v[offset + k - 1] + 1;
            qsizetype y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) {
                edits = d;
                break;
            }
        }
    }
    if (edits < 0) return std::nullopt;

    std::vector<qsizetype> of(static_cast<size_t>(m), -1);
    qsizetype x = n;
    qsizetype y = m;
    for (qsizetype d = edits; d >= 0; --d) {
        const std::vector<qsizetype>& before = trace[static_cast<size_t>(d)];
        // before[i] is v[k] for k = i - d - 1
        const auto at = [&](qsizetype k) { return before[static_cast<size_t>(k + d + 1)]; };
        const qsizetype k = x - y;
        qsizetype fromX = 0;
        qsizetype fromY = 0;
        if (d > 0) {
            const qsizetype fromK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
            fromX = at(fromK);
            fromY = fromX - fromK;
        }
        while (x > fromX && y > fromY) of[static_cast<size_t>(--y)] = --x;
        x = fromX;
        y = fromY;
    }
    return of;
}

}  // namespace

QString withReceivedBreaks(const QString& received, const QString& receivedLines,
                           const QString& lines) {
    if (lines == receivedLines) return received;
    const std::vector<qsizetype> raw = rawPositions(received, receivedLines.size());
    const qsizetype shorter = std::min(lines.size(), receivedLines.size());
    qsizetype head = 0;
    while (head < shorter && lines.at(head) == receivedLines.at(head)) ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           lines.at(lines.size() - 1 - tail) == receivedLines.at(receivedLines.size() - 1 - tail))
        ++tail;
    const QStringView was =
        QStringView(receivedLines).mid(head, receivedLines.size() - head - tail);
    const QStringView now = QStringView(lines).mid(head, lines.size() - head - tail);
    const auto kept = matches(was, now);

    QString text = received.left(raw[static_cast<size_t>(head)]);
    for (qsizetype i = 0; i < now.size(); ++i) {
        const qsizetype from = kept ? (*kept)[static_cast<size_t>(i)] : -1;
        if (from >= 0) {
            const auto start = raw[static_cast<size_t>(head + from)];
            text +=
                QStringView(received).mid(start, raw[static_cast<size_t>(head + from + 1)] - start);
        } else {
            text += now[i] == u'\n' ? QStringView(u"\r\n") : now.mid(i, 1);
        }
    }
    return text + received.mid(raw[static_cast<size_t>(receivedLines.size() - tail)]);
}

}  // namespace kdrsm
