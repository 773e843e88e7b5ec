#pragma once
// What a game prints, as operators may see it. The game appends to its raw
// output file (owner-only, in its owner-only folder); this reads what came
// since the last read, cuts it into lines, masks every secret of that server
// (its passwords and its console password, as typed and as the game's console
// echoes them escaped), and only then keeps the lines: the last ones in
// memory, all of them in a kept file that rotates. The raw file is emptied
// once read past a bound; the game appends, so it writes on at the new end.

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <deque>

namespace jexremote::games {

inline constexpr int kKeptLines = 1000;
inline constexpr int kMaxLineLength = 4096;
inline constexpr qint64 kMaxRawBytes = 256 * 1024;
inline constexpr qint64 kMaxKeptFileBytes = 1024 * 1024;
inline const QString kMask = QStringLiteral("********");

class GameOutput {
public:
    // `rawFile` is what the game writes; `keptFile` the masked lines, rotated
    // to `keptFile.1` past kMaxKeptFileBytes.
    GameOutput(QString rawFile, QString keptFile);

    // The secrets to mask from now on; empty ones are ignored.
    void setSecrets(const QStringList& secrets);
    // The game's variables that hold a password: whatever value a line gives
    // one of them (an echoed console command setting a new password) is
    // masked too.
    void setSecretVariables(const QStringList& variables);
    // Reads what the game wrote since the last call: its complete lines, masked.
    QStringList readNew();
    // The last `count` lines kept (at most kKeptLines), oldest first.
    QStringList last(int count) const;
    // Starts reading the raw file at its end (a manager that re-attached to a
    // running game has shown what came before already).
    void skipToEnd();

    // `line` with every one of `secrets`, and the value given to any of
    // `secretVariables` (a pattern made by secretVariablePattern), replaced by kMask.
    static QString masked(QString line, const QStringList& secrets,
                          const QRegularExpression& secretVariables = {});
    static QRegularExpression secretVariablePattern(const QStringList& variables);

private:
    void keep(const QString& line);
    void writeKept(const QStringList& lines);

    QString rawFile_;
    QString keptFile_;
    qint64 offset_ = 0;
    QByteArray partial_;  // the start of a line not ended yet
    QStringList secrets_;
    QRegularExpression secretVariables_;
    std::deque<QString> lines_;
};

}  // namespace jexremote::games
