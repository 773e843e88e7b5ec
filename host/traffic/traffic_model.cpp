#include "host/traffic/traffic_model.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "exchange/wire/request.h"

namespace jexhost::traffic {

QString stateText(TrafficState state) {
    switch (state) {
        case TrafficState::Sent:
            return QStringLiteral("sent");
        case TrafficState::Answered:
            return QStringLiteral("answered");
        case TrafficState::Conflicted:
            return QStringLiteral("conflict");
        case TrafficState::TimedOut:
            return QStringLiteral("timed out");
        case TrafficState::Unreachable:
            return QStringLiteral("unreachable");
        case TrafficState::Refused:
            return QStringLiteral("refused");
        case TrafficState::Cancelled:
            return QStringLiteral("cancelled by you");
    }
    return {};
}

TrafficClock TrafficClock::system() {
    return {[] { return QDateTime::currentDateTime(); },
            [] {
                return std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                    .count();
            }};
}

QString columnTitle(TrafficModel::Column column) {
    switch (column) {
        case TrafficModel::Time:
            return QStringLiteral("Time");
        case TrafficModel::Server:
            return QStringLiteral("Server");
        case TrafficModel::Command:
            return QStringLiteral("Command");
        case TrafficModel::Sent:
            return QStringLiteral("Sent (bytes)");
        case TrafficModel::Received:
            return QStringLiteral("Received (bytes)");
        case TrafficModel::Duration:
            return QStringLiteral("Duration (ms)");
        case TrafficModel::State:
            return QStringLiteral("State");
        case TrafficModel::Changes:
            return QStringLiteral("Changes");
        case TrafficModel::Details:
        case TrafficModel::ColumnCount:
            break;
    }
    return QStringLiteral("Details");
}

QString cellText(const TrafficRow& row, TrafficModel::Column column) {
    switch (column) {
        case TrafficModel::Time:
            return row.time.toString(Qt::ISODateWithMs);
        case TrafficModel::Server:
            return row.server;
        case TrafficModel::Command:
            return row.request.command;
        case TrafficModel::Sent:
            return QString::number(row.sentBytes);
        case TrafficModel::Received:
            return row.receivedBytes < 0 ? QString() : QString::number(row.receivedBytes);
        case TrafficModel::Duration:
            return row.durationMs < 0 ? QString() : QString::number(row.durationMs);
        case TrafficModel::State:
            return stateText(row.state);
        case TrafficModel::Changes:
            return row.changes ? changes::differenceLines(*row.changes).join(u'\n') : QString();
        case TrafficModel::Details:
        case TrafficModel::ColumnCount:
            break;
    }
    if (row.answer.isEmpty()) return row.request.summary;
    return row.request.summary + QStringLiteral(" → ") + row.answer;
}

TrafficModel::TrafficModel(int maxRows, TrafficClock clock, QObject* parent)
    : QAbstractTableModel(parent), maxRows_(std::max(1, maxRows)), clock_(std::move(clock)) {}

void TrafficModel::useLedger(servers::ServerLedger* ledger, LedgerKey keyOf) {
    ledger_ = ledger ? ledger : &ownLedger_;
    keyOf_ = ledger ? std::move(keyOf) : LedgerKey();
}

QString TrafficModel::ledgerKey(const QString& server) const {
    return keyOf_ ? keyOf_(server) : server;
}

quint64 TrafficModel::requestSent(const QString& server, const QString& requestText,
                                  const QString& batch) {
    TrafficRow row;
    row.server = server;
    // The request and its body are read once; the details and the changes
    // both show that reading.
    const auto request = kdrsm::wire::parseRequestText(requestText);
    std::optional<changes::Snapshot> update;
    if (request && request->command == kdrsm::wire::kSetSettings) {
        const changes::Snapshot last = ledger_->lastSeen(ledgerKey(server));
        update = changes::snapshotOfUpdate(request->data, last);
        row.changes = changes::compare(last, *update);
    }
    row.request = describeRequest(request, requestText.size(), update ? &*update : nullptr);
    if (!batch.isEmpty()) row.request.summary += QStringLiteral(", batch ") + batch;
    row.sentBytes = requestText.toUtf8().size();
    return append(std::move(row));
}

quint64 TrafficModel::messageSent(const QString& server, const QString& command,
                                  const QString& summary, qint64 sentBytes) {
    TrafficRow row;
    row.server = server;
    row.request = {command, summary, {}};
    row.sentBytes = sentBytes;
    return append(std::move(row));
}

bool TrafficModel::messageAnswered(quint64 id, qint64 receivedBytes, const QString& summary) {
    const int row = rowOf(id);
    return row >= 0 && finish(row, TrafficState::Answered, receivedBytes, summary);
}

quint64 TrafficModel::append(TrafficRow row) {
    if (std::cmp_greater_equal(rows_.size(), maxRows_)) {
        beginRemoveRows({}, 0, 0);
        rows_.pop_front();
        endRemoveRows();
    }
    row.id = nextId_++;
    row.time = clock_.now();
    row.startedMs = clock_.monotonicMs();
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
    return rows_.back().id;
}

bool TrafficModel::answered(quint64 id, const QString& answerText, const QString& conflict,
                            bool remember) {
    const int row = rowOf(id);
    if (row < 0) return false;
    const TrafficRow& request = trafficRow(row);
    if (remember && request.state == TrafficState::Sent &&
        request.request.command == kdrsm::wire::kGetSettings)
        ledger_->seen(ledgerKey(request.server), answerText);
    if (!conflict.isEmpty())
        return finish(row, TrafficState::Conflicted, answerText.toUtf8().size(), conflict);
    return finish(row, TrafficState::Answered, answerText.toUtf8().size(),
                  describeAnswer(request.request.command, answerText));
}

bool TrafficModel::failed(quint64 id, TrafficState state) {
    if (state == TrafficState::Sent || state == TrafficState::Answered ||
        state == TrafficState::Conflicted)
        return false;
    const int row = rowOf(id);
    if (row < 0) return false;
    return finish(row, state, -1, {});
}

bool TrafficModel::cancelled(quint64 id) {
    const int row = rowOf(id);
    if (row < 0) return false;
    return finish(row, TrafficState::Cancelled, -1, {});
}

bool TrafficModel::finish(int at, TrafficState state, qint64 receivedBytes, const QString& answer) {
    TrafficRow& row = rows_[static_cast<size_t>(at)];
    if (row.state != TrafficState::Sent) return false;
    row.state = state;
    row.receivedBytes = receivedBytes;
    row.answer = answer;
    row.durationMs = std::max<qint64>(0, clock_.monotonicMs() - row.startedMs);
    emit dataChanged(index(at, 0), index(at, ColumnCount - 1));
    return true;
}

void TrafficModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int TrafficModel::rowOf(quint64 id) const {
    // Ids grow with the rows, so the rows are sorted by id.
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), id,
                                     [](const TrafficRow& row, quint64 v) { return row.id < v; });
    if (it == rows_.end() || it->id != id) return -1;
    return static_cast<int>(it - rows_.begin());
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    const TrafficRow& row = trafficRow(index.row());
    const auto column = static_cast<Column>(index.column());
    if (role == Qt::DisplayRole) {
        if (column == Time) return row.time.toString(QStringLiteral("HH:mm:ss.zzz"));
        if (column == Changes)
            return row.changes ? changes::differenceSummary(*row.changes) : QString();
        return cellText(row, column);
    }
    if (role == Qt::ToolTipRole && (column == Details || column == Changes))
        return cellText(row, column);
    if (role == Qt::TextAlignmentRole &&
        (column == Sent || column == Received || column == Duration))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return columnTitle(static_cast<Column>(section));
}

}  // namespace jexhost::traffic
