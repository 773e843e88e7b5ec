#pragma once
// One remote side in this process with two servers, S0 and S1, managed by
// admin through the console's links (with the traffic view and a batch
// journal) and by carol on a connection of her own.

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "host/fleet/fleet_run.h"
#include "host/relay/link_pool.h"
#include "host/traffic/traffic_model.h"
#include "remote_fixture.h"

namespace fleettest {

using jexhost::fleet::FleetRun;
using jexhost::servers::ServerEntry;

inline constexpr int kWaitMs = 30000;  // upper bound only
inline constexpr int kPlayers = 4, kMessage = 13;
inline const QString kAdmin = QStringLiteral("admin-token-0123456789abcdef");
inline const QString kCarol = QStringLiteral("carol-token-0123456789abcdef");

struct Team {
    jextest::TempHost host;
    std::unique_ptr<jexremote::RemoteService> remote;
    jexhost::LinkPool pool{10000, 15000};
    jexhost::fleet::BatchJournal journal{host.path("batches")};
    jexhost::traffic::TrafficModel traffic;
    QList<ServerEntry> servers;
    jextest::Client admin, carol;

    Team() {
        for (const char* name : {"state/server-0.ini", "state/server-1.ini"})
            host.write(name, jextest::stateText());
        remote = jextest::serveRemote(
            host.path("state"),
            jextest::writeTokenFile(
                host, (kAdmin + " admin 1 1 1 1 1 1\n" + kCarol + " carol 1 1 1 1 1 1\n").toUtf8()),
            // so that admin's updates can be made to wait
            [](auto& options) { options.updatesPerSecond = 2; });
        const QString url = remote->url().toString();
        host.write("admin.token", kAdmin.toUtf8() + "\n");
        servers = {{"s0", "S0", "G", url, "admin.token", 0, "t0"},
                   {"s1", "S1", "G", url, "admin.token", 1, "t1"}};
        host.write("servers.ini", "");
        host.write("players.ssf", "[Server]\nPlayers=15\n");
        EXPECT_TRUE(admin.welcomed(remote->url(), kAdmin));
        EXPECT_TRUE(carol.welcomed(remote->url(), kCarol));
    }

    QString field(int profile, int field) const {
        return remote->settings(profile)->fields[static_cast<size_t>(field)];
    }
    // `who` stores one field of a server, made from what it holds now.
    QString set(jextest::Client& who, int profile, int field, const QString& value) {
        auto settings = std::get<kdrsm::model::ServerSettings>(
            kdrsm::model::settingsOfReply(who.ask(jextest::fetchRequest(profile))));
        settings.fields[static_cast<size_t>(field)] = value;
        return who.ask(kdrsm::wire::requestText(kdrsm::wire::kSetSettings, "t", profile,
                                                kdrsm::model::updateBody(settings)));
    }
    // Runs `start` on a new run; its outcome words by server and its error.
    std::pair<std::map<QString, QString>, QString> run(std::function<void(FleetRun&)> start,
                                                       FleetRun** kept = nullptr) {
        auto* run = new FleetRun(pool, host.path("servers.ini"), &journal, &pool);
        run->setTraffic(&traffic);
        QSignalSpy finished(run, &FleetRun::finished);
        start(*run);
        EXPECT_TRUE(!finished.isEmpty() || finished.wait(kWaitMs));
        std::map<QString, QString> words;
        for (const auto& outcome : run->outcomes())
            words[outcome.server.name] =
                jexhost::fleet::outcomeWord(outcome.outcome) +
                (outcome.reason.isEmpty() ? QString() : QStringLiteral(": ") + outcome.reason);
        if (kept) *kept = run;
        return {words, finished.value(0).value(0).toString()};
    }
    QString applyPlayers() {
        auto source = jexhost::fleet::SettingsSource::fromPresetFile(host.path("players.ssf"));
        FleetRun* done = nullptr;
        const auto [words, error] = run(
            [&](FleetRun& r) {
                r.apply(servers, std::get<jexhost::fleet::SettingsSource>(source), {"Players"});
            },
            &done);
        EXPECT_EQ(words, (std::map<QString, QString>{{"S0", "applied"}, {"S1", "applied"}}))
            << error.toStdString();
        return done->batchId();
    }
    // Rewrites the line of server `id` in a batch's record.
    void damage(const QString& batch, const QString& id,
                const std::function<void(QJsonObject&)>& change) {
        const QString file = "batches/" + batch + ".json";
        QList<QByteArray> lines = host.read(file).split('\n');
        for (QByteArray& line : lines) {
            QJsonObject object = QJsonDocument::fromJson(line).object();
            if (object.value("id") != id || !object.contains("before")) continue;
            change(object);
            line = QJsonDocument(object).toJson(QJsonDocument::Compact);
        }
        host.write(file, lines.join('\n'));
    }
    // Stores updates as admin until the remote side makes admin wait.
    void exhaustAdmin() {
        for (int i = 0; i < 50; ++i)
            if (set(admin, 1, kMessage, "Hi") == "0") return;
        ADD_FAILURE() << "admin was never made to wait";
    }
};

}  // namespace fleettest
