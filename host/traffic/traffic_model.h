#pragma once
// Every request the host carries and what became of it, newest last, as a
// table for the traffic view. The carrier reports each request when it sends
// it and each outcome when it knows it; rows beyond the bound are dropped
// oldest first. No request or answer text is kept (see traffic_details.h).
// A settings update also shows what it changes against the settings last
// seen of its server, which the model reads from the console's ledger and
// a settings answer writes there (as snapshots, without passwords). A
// request of a fleet batch names the batch in its details.

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

#include "host/changes/settings_difference.h"
#include "host/servers/server_ledger.h"
#include "host/traffic/traffic_details.h"

namespace jexhost::traffic {

enum class TrafficState { Sent, Answered, Conflicted, TimedOut, Unreachable, Refused, Cancelled };

QString stateText(TrafficState state);

// Where the model takes its times: the wall clock for the time of a request
// and a monotonic clock for durations. Tests set both.
struct TrafficClock {
    std::function<QDateTime()> now;
    std::function<qint64()> monotonicMs;
    static TrafficClock system();
};

struct TrafficRow {
    quint64 id = 0;
    QDateTime time;
    QString server;
    RequestDetails request;
    qint64 sentBytes = 0;
    qint64 receivedBytes = -1;  // -1 until answered
    qint64 startedMs = 0;
    qint64 durationMs = -1;  // -1 while sent
    TrafficState state = TrafficState::Sent;
    QString answer;  // the answer's summary
    // For a settings update: what it changes against the last fetch.
    std::optional<changes::SettingsDifference> changes;
};

class TrafficModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Time,
        Server,
        Command,
        Sent,
        Received,
        Duration,
        State,
        Details,
        Changes,
        ColumnCount
    };
    static constexpr int kDefaultMaxRows = 1000;

    explicit TrafficModel(int maxRows = kDefaultMaxRows,
                          TrafficClock clock = TrafficClock::system(), QObject* parent = nullptr);

    // A request leaves for `server`; the id names it in the calls below.
    // Ids start at 1 and grow. `batch`: the fleet batch it belongs to.
    quint64 requestSent(const QString& server, const QString& requestText,
                        const QString& batch = {});
    // A link message that is no request text (a history, a kept version, a
    // revert), with its command and summary as the sender words them.
    quint64 messageSent(const QString& server, const QString& command, const QString& summary,
                        qint64 sentBytes);
    // Its answer came, summarised by the sender.
    bool messageAnswered(quint64 id, qint64 receivedBytes, const QString& summary);
    // Its answer came. False when the id is unknown (dropped) or the request
    // already ended. `conflict`, when given, says why an update was refused
    // for others' changes, in place of the answer's summary; a settings
    // answer is kept as the last fetch of its server unless `remember` is false.
    bool answered(quint64 id, const QString& answerText, const QString& conflict = {},
                  bool remember = true);
    // It ended without an answer; `state` is TimedOut, Unreachable or Refused.
    bool failed(quint64 id, TrafficState state);
    // The operator chose not to send it (the review before an update).
    bool cancelled(quint64 id);
    void clear();

    // The ledger the model reads and writes each server's settings last seen
    // in, and how it finds a server there by the name its rows show. A model
    // given none keeps its own, by that name.
    using LedgerKey = std::function<QString(const QString& server)>;
    void useLedger(servers::ServerLedger* ledger, LedgerKey keyOf);

    int maxRows() const { return maxRows_; }
    const TrafficRow& trafficRow(int row) const { return rows_[static_cast<size_t>(row)]; }
    // The row of a request, or -1 when it was dropped.
    int rowOf(quint64 id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    quint64 append(TrafficRow row);
    QString ledgerKey(const QString& server) const;
    bool finish(int row, TrafficState state, qint64 receivedBytes, const QString& answer);

    int maxRows_;
    TrafficClock clock_;
    quint64 nextId_ = 1;
    std::deque<TrafficRow> rows_;
    servers::ServerLedger ownLedger_;
    servers::ServerLedger* ledger_ = &ownLedger_;
    LedgerKey keyOf_;
};

// The text of a cell as the CSV file shows it (the view shows the same, but
// only the summary of the changes, the lines in the tool tip).
QString cellText(const TrafficRow& row, TrafficModel::Column column);
QString columnTitle(TrafficModel::Column column);

}  // namespace jexhost::traffic
