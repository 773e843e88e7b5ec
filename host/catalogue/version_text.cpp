#include "host/catalogue/version_text.h"

namespace jexhost::catalogue {

namespace {

// Nine digits always fit 32 bits; eight parts are more than any plug-in uses.
constexpr qsizetype kMaxPartDigits = 9;
constexpr qsizetype kMaxParts = 8;

}  // namespace

std::optional<VersionParts> parseVersion(const QString& text) {
    const QStringList pieces = text.split(u'.');
    if (pieces.size() > kMaxParts) return std::nullopt;
    VersionParts parts;
    for (const QString& piece : pieces) {
        if (piece.isEmpty() || piece.size() > kMaxPartDigits) return std::nullopt;
        quint32 value = 0;
        for (const QChar c : piece) {
            if (c < u'0' || c > u'9') return std::nullopt;
            value = value * 10 + (c.unicode() - u'0');
        }
        parts << value;
    }
    return parts;
}

std::strong_ordering compareVersions(const VersionParts& a, const VersionParts& b) {
    const qsizetype count = std::max(a.size(), b.size());
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 left = i < a.size() ? a[i] : 0;
        const quint32 right = i < b.size() ? b[i] : 0;
        if (left != right) return left <=> right;
    }
    return std::strong_ordering::equal;
}

}  // namespace jexhost::catalogue
