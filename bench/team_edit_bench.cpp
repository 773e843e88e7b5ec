// Two hosts editing one server of a jexremote process at once, each doing
// read-modify-write rounds as fast as the answers come: fetch, change one
// setting, send the update with the version it was made from. Counted, not
// timed: first on disjoint settings (every update must be kept: no update may
// undo another's), then on settings both edit (an update may be refused,
// but only with the conflict named, and none may silently overwrite
// another's change). Beside them, the change notices each host gets of the
// other's updates, and how long after the update was sent they came.
//
// Every value written is a number drawn from one counter per setting, so the
// values of a setting grow in the order they were made. An update stored
// from a base that lacked a later value of the same setting would have to
// conflict; so whatever a fetch shows must be at least the newest value
// answered "1" before the fetch was sent. Less is an update lost.
//
// Usage: team_edit_bench [ROUNDS] [--no-base]
//   ROUNDS per host and phase, 500 by default; --no-base sends the updates
//   without the version they were made from, as hosts did before, to show
//   the updates the last writer undoes.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <variant>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "spin_until.h"

namespace {

namespace model = kdrsm::model;
namespace wire = kdrsm::wire;

constexpr int kWaitMs = 20000;
const QString kTokens[] = {QStringLiteral("alice-token-0123456789abcdef"),
                           QStringLiteral("bob-token-0123456789abcdef")};
const QString kNames[] = {QStringLiteral("alice"), QStringLiteral("bob")};

// Settings that take any number up to 999: the name, the country, the host
// message, flag return time, team lives, min and max ping.
const QList<int> kDisjoint[] = {{0, 13, 21, 27}, {1, 22, 29}};
const QList<int> kShared = {0, 13, 21, 29};
bool sendBase = true;

struct Tally {
    int rounds = 0, stored = 0, conflicted = 0;
    int refusedWithoutConflict = 0;  // "0" with no conflict named
    int conflictsElsewhere = 0;      // a refusal whose conflicts miss the setting changed
    int lost = 0;                    // a stored value a later fetch no longer showed
    int failed = 0;                  // no answer, or an answer that could not be read
};

// What both hosts share: the next value of each setting and the newest value
// answered "1".
struct Ledger {
    QHash<int, int> nextValue, newestStored;
    QHash<int, QSet<int>> lostValues;
    Tally tally;

    // Each value newer stored before the fetch went out and missing from it.
    void check(const model::ServerSettings& seen, const QHash<int, int>& storedBefore) {
        for (auto it = storedBefore.cbegin(); it != storedBefore.cend(); ++it)
            if (seen.fields[size_t(it.key())].toInt() < it.value() &&
                !lostValues[it.key()].contains(it.value())) {
                lostValues[it.key()].insert(it.value());
                ++tally.lost;
            }
    }
};

struct Editor {
    int who = 0;
    QWebSocket socket;
    bool welcomed = false;
    bool done = true;
    int roundsLeft = 0;
    qint64 nextId = 1;
    QList<int> fields;
    Ledger* ledger = nullptr;
    QHash<int, int> storedAtFetch;
    int field = -1, value = 0;  // the edit in flight
    bool lookOnly = false;      // a last fetch, to check, with no edit after it
    QElapsedTimer clock;
    QList<qint64> storedSentAt;  // when each stored update was sent, in order
    QList<qint64> storedAnsweredAt;  // and when its answer came
    qint64 updateSentAt = 0;
    QList<qint64> noticeAt;       // when each notice of the other's updates came
    int ownNotices = 0;           // notices of this host's own updates: must stay 0

    void open(const QUrl& url, Ledger& book, QElapsedTimer started) {
        ledger = &book;
        clock = started;
        QObject::connect(&socket, &QWebSocket::connected,
                         [this] { socket.sendTextMessage(jexlink::tokenMessage(kTokens[who])); });
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& message) { onMessage(message); });
        socket.open(url);
    }
    void start(int rounds, const QList<int>& edited) {
        roundsLeft = rounds;
        fields = edited;
        done = false;
        fetch();
    }
    void fetch() {
        if (roundsLeft-- <= 0) {
            done = true;
            return;
        }
        field = -1;
        storedAtFetch = ledger->newestStored;
        socket.sendTextMessage(jexlink::requestMessage(
            nextId++, wire::requestText(wire::kGetSettings, QStringLiteral("bench"), 0, {})));
    }
    void onMessage(const QString& message) {
        if (!welcomed) {
            welcomed = jexlink::readWelcomeMessage(message).has_value();
            return;
        }
        if (const auto notice = jexlink::readChangedMessage(message)) {
            if (notice->operatorName == kNames[who])
                ++ownNotices;
            else
                noticeAt.append(clock.nsecsElapsed());
            return;
        }
        const auto answer = jexlink::readAnswerMessage(message);
        if (!answer) return fail();
        if (field < 0) return edit(*answer);
        ++ledger->tally.rounds;
        if (answer->text == u"1") {
            ++ledger->tally.stored;
            storedSentAt.append(updateSentAt);
            storedAnsweredAt.append(clock.nsecsElapsed());
            ledger->newestStored[field] = std::max(ledger->newestStored.value(field), value);
        } else if (answer->conflicts.isEmpty()) {
            ++ledger->tally.refusedWithoutConflict;
        } else {
            ++ledger->tally.conflicted;
            const bool named = std::any_of(
                answer->conflicts.cbegin(), answer->conflicts.cend(),
                [&](const jexlink::Conflict& c) { return c.setting == model::settingLabel(field); });
            if (!named) ++ledger->tally.conflictsElsewhere;
        }
        fetch();
    }
    // The fetched settings with one setting changed, sent back with their version.
    void edit(const jexlink::Envelope& fetched) {
        auto read = model::settingsOfReply(fetched.text);
        if (!std::holds_alternative<model::ServerSettings>(read) || !fetched.version)
            return fail();
        model::ServerSettings settings = std::get<model::ServerSettings>(read);
        ledger->check(settings, storedAtFetch);
        if (std::exchange(lookOnly, false)) {
            done = true;
            return;
        }
        field = fields.at(QRandomGenerator::global()->bounded(int(fields.size())));
        value = ++ledger->nextValue[field];
        settings.fields[size_t(field)] = QString::number(value);
        updateSentAt = clock.nsecsElapsed();
        socket.sendTextMessage(jexlink::requestMessage(
            nextId++,
            wire::requestText(wire::kSetSettings, QStringLiteral("bench"), 0,
                              model::updateBody(settings)),
            sendBase ? fetched.version : std::nullopt));
    }
    void fail() {
        ++ledger->tally.failed;
        done = true;
    }
};

struct Remote {
    QTemporaryDir dir;
    QProcess process;
    QUrl url;

    Remote() {
        QFile tokens(dir.filePath(QStringLiteral("tokens")));
        tokens.open(QIODevice::WriteOnly);
        tokens.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        for (int i = 0; i < 2; ++i) tokens.write((kTokens[i] + u' ' + kNames[i] + " 1 1 1 1 1 1\n").toUtf8());
        tokens.close();
        // The rate limit is not under test: the hosts send as fast as answers come.
        process.start(QStringLiteral(JEXREMOTE_PATH),
                      {QStringLiteral("--state-dir"), dir.filePath(QStringLiteral("state")),
                       QStringLiteral("--token-file"), tokens.fileName(),
                       QStringLiteral("--max-updates-per-second"), QStringLiteral("10000")});
        QByteArray out;
        jexbench::spinUntil(
            [&] { return (out += process.readAllStandardOutput()).contains('\n'); }, kWaitMs);
        const auto found =
            QRegularExpression(QStringLiteral("listening on (\\S+)")).match(QString::fromUtf8(out));
        if (found.hasMatch()) url = QUrl(found.captured(1));
    }
    ~Remote() {
        process.kill();
        process.waitForFinished();
    }
};

QString milliseconds(qint64 ns) {
    return QString::number(double(ns) / 1e6, 'f', 2);
}

// Runs one phase; prints its line and returns its tally.
Tally runPhase(const char* name, Editor (&editors)[2], const QList<int> (&fields)[2], int rounds,
               Ledger& ledger, QTextStream& out) {
    ledger.tally = {};
    ledger.lostValues.clear();
    for (Editor& editor : editors) {
        editor.storedSentAt.clear();
        editor.storedAnsweredAt.clear();
        editor.noticeAt.clear();
    }
    QElapsedTimer took;
    took.start();
    editors[0].start(rounds, fields[0]);
    editors[1].start(rounds, fields[1]);
    const bool finished = jexbench::spinUntil(
        [&] { return editors[0].done && editors[1].done; }, rounds * 200 + kWaitMs);
    const qint64 elapsed = took.elapsed();
    // The last notices: each host hears of every update the other stored.
    jexbench::spinUntil(
        [&] {
            return editors[0].noticeAt.size() >= editors[1].storedSentAt.size() &&
                   editors[1].noticeAt.size() >= editors[0].storedSentAt.size();
        },
        kWaitMs);
    // A last fetch sees every value answered "1".
    Editor& last = editors[0];
    last.lookOnly = true;
    last.start(1, fields[0]);
    if (!jexbench::spinUntil([&] { return last.done; }, kWaitMs)) ++ledger.tally.failed;

    Tally& t = ledger.tally;
    if (!finished) ++t.failed;
    // The k-th notice a host gets is of the other's k-th stored update.
    QList<qint64> sinceSent, sinceAnswered;
    int missing = 0;
    for (int i = 0; i < 2; ++i) {
        const Editor &sender = editors[i], &other = editors[1 - i];
        missing += int(std::max<qsizetype>(0, sender.storedSentAt.size() - other.noticeAt.size()));
        for (qsizetype k = 0; k < std::min(sender.storedSentAt.size(), other.noticeAt.size()); ++k) {
            sinceSent.append(other.noticeAt[k] - sender.storedSentAt[k]);
            sinceAnswered.append(other.noticeAt[k] - sender.storedAnsweredAt[k]);
        }
    }
    const auto spread = [](QList<qint64> delays) {
        if (delays.isEmpty()) return QStringLiteral("-");
        std::sort(delays.begin(), delays.end());
        return QStringLiteral("median %1 ms, max %2 ms")
            .arg(milliseconds(delays[delays.size() / 2]), milliseconds(delays.last()));
    };
    out << "team_edit_bench: " << name << ": " << t.rounds << " rounds in " << elapsed << " ms, "
        << t.stored << " stored, " << t.conflicted << " refused with a conflict ("
        << t.conflictsElsewhere << " not naming the setting changed), "
        << t.refusedWithoutConflict << " refused without one, " << t.lost << " lost, "
        << t.failed << " failed; notices: " << (t.stored - missing) << " of " << t.stored
        << " reached the other host, " << editors[0].ownNotices + editors[1].ownNotices
        << " the sender; after the update was sent " << spread(sinceSent)
        << "; after the sender's answer " << spread(sinceAnswered) << "\n";
    out.flush();
    t.failed += missing;
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rounds = 500;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument == u"--no-base")
            sendBase = false;
        else
            rounds = std::max(1, argument.toInt());
    }
    QTextStream out(stdout);
    Remote remote;
    if (!remote.url.isValid()) {
        out << "team_edit_bench: jexremote did not start\n";
        return 1;
    }
    Ledger ledger;
    QElapsedTimer started;
    started.start();
    Editor editors[2];
    for (int i = 0; i < 2; ++i) {
        editors[i].who = i;
        editors[i].open(remote.url, ledger, started);
    }
    if (!jexbench::spinUntil([&] { return editors[0].welcomed && editors[1].welcomed; }, kWaitMs)) {
        out << "team_edit_bench: not welcomed\n";
        return 1;
    }
    const Tally disjoint = runPhase("disjoint settings", editors, kDisjoint, rounds, ledger, out);
    const QList<int> shared[2] = {kShared, kShared};
    const Tally overlapping = runPhase("shared settings", editors, shared, rounds, ledger, out);
    const int bad = disjoint.lost + disjoint.conflicted + disjoint.refusedWithoutConflict +
                    disjoint.failed + overlapping.lost + overlapping.refusedWithoutConflict +
                    overlapping.conflictsElsewhere + overlapping.failed;
    out << "team_edit_bench: " << (bad == 0 ? "PASS" : "FAIL") << ": disjoint "
        << disjoint.stored << "/" << disjoint.rounds << " stored, " << disjoint.lost
        << " lost updates; shared " << overlapping.stored << " stored, " << overlapping.conflicted
        << " refused each with its conflict, " << overlapping.refusedWithoutConflict
        << " unexplained refusals, " << overlapping.lost << " silent overwrites\n";
    return bad == 0 ? 0 : 1;
}
