#include "remote/games/game_output.h"

#include <QFileInfo>

#include <algorithm>

namespace jexremote::games {

namespace {

// A secret as the game's console echoes it inside a quoted value.
QString escaped(const QString& secret) {
    QString out;
    for (const QChar c : secret) {
        if (c == u'"' || c == u'\\') out += u'\\';
        out += c;
    }
    return out;
}

}  // namespace

GameOutput::GameOutput(QString rawFile, QString keptFile)
    : rawFile_(std::move(rawFile)), keptFile_(std::move(keptFile)) {}

void GameOutput::setSecrets(const QStringList& secrets) {
    secrets_.clear();
    for (const QString& secret : secrets) {
        if (secret.isEmpty()) continue;
        secrets_ << secret;
        if (escaped(secret) != secret) secrets_ << escaped(secret);
    }
    // The longest first, so that a secret inside another is not left half shown.
    std::sort(secrets_.begin(), secrets_.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
}

void GameOutput::setSecretVariables(const QStringList& variables) {
    secretVariables_ = secretVariablePattern(variables);
}

QRegularExpression GameOutput::secretVariablePattern(const QStringList& variables) {
    if (variables.isEmpty()) return {};
    QStringList names;
    for (const QString& variable : variables) names << QRegularExpression::escape(variable);
    // The name as a word, then its value: quoted (escapes included, maybe cut
    // short) or up to the next blank or quote.
    return QRegularExpression(
        QStringLiteral(R"((?<![A-Za-z0-9_])(%1)(\s+)("(?:[^"\\]|\\.)*"?|[^\s'"]+))")
            .arg(names.join(u'|')));
}

QString GameOutput::masked(QString line, const QStringList& secrets,
                           const QRegularExpression& secretVariables) {
    for (const QString& secret : secrets)
        if (!secret.isEmpty()) line.replace(secret, kMask);
    if (!secretVariables.pattern().isEmpty())
        line.replace(secretVariables, QStringLiteral("\\1\\2") + kMask);
    return line;
}

void GameOutput::skipToEnd() {
    offset_ = QFileInfo(rawFile_).size();
    partial_.clear();
}

QStringList GameOutput::readNew() {
    // Looked at many times a second for every game: a game that printed
    // nothing costs one stat, not an open, a read and a close.
    if (QFileInfo(rawFile_).size() == offset_) return {};
    QFile raw(rawFile_);
    if (!raw.open(QIODevice::ReadWrite)) return {};
    // Emptied by someone else, or by us: read from its start.
    if (raw.size() < offset_) {
        offset_ = 0;
        partial_.clear();
    }
    raw.seek(offset_);
    QByteArray chunk = raw.readAll();
    offset_ += chunk.size();
    chunk.prepend(partial_);
    partial_.clear();
    QStringList out;
    qsizetype start = 0;
    for (qsizetype end = chunk.indexOf('\n'); end >= 0; end = chunk.indexOf('\n', start)) {
        QByteArray bytes = chunk.mid(start, end - start);
        start = end + 1;
        bytes.replace('\0', "");
        if (bytes.endsWith('\r')) bytes.chop(1);
        // Masked before it is cut short, so no part of a secret is left at the cut.
        const QString line =
            masked(QString::fromUtf8(bytes), secrets_, secretVariables_).left(kMaxLineLength);
        keep(line);
        out << line;
    }
    writeKept(out);
    partial_ = chunk.mid(start).right(kMaxLineLength * 4);
    // Read to its end and past the bound: empty it; the game appends at the new end.
    if (offset_ > kMaxRawBytes && partial_.isEmpty()) {
        raw.resize(0);
        offset_ = 0;
    }
    return out;
}

QStringList GameOutput::last(int count) const {
    QStringList out;
    const int from =
        std::max(0, static_cast<int>(lines_.size()) - std::clamp(count, 0, kKeptLines));
    for (size_t i = static_cast<size_t>(from); i < lines_.size(); ++i) out << lines_[i];
    return out;
}

void GameOutput::keep(const QString& line) {
    lines_.push_back(line);
    while (lines_.size() > static_cast<size_t>(kKeptLines)) lines_.pop_front();
}

void GameOutput::writeKept(const QStringList& lines) {
    if (keptFile_.isEmpty() || lines.isEmpty()) return;
    if (QFileInfo(keptFile_).size() > kMaxKeptFileBytes) {
        QFile::remove(keptFile_ + QStringLiteral(".1"));
        QFile::rename(keptFile_, keptFile_ + QStringLiteral(".1"));
    }
    QFile kept(keptFile_);
    if (kept.open(QIODevice::Append, QFile::ReadOwner | QFile::WriteOwner))
        kept.write((lines.join(u'\n') + u'\n').toUtf8());
}

}  // namespace jexremote::games
