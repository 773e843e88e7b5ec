#include "host/fleet/fleet_command.h"

#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>
#include <memory>

#include "host/fleet/fleet_run.h"
#include "host/host_root.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "host/status/status_report.h"
#include "jex/hostpaths.h"
#include "remote/remote_service.h"
#include "remote/store/server_settings.h"

namespace jexhost::fleet {

using servers::ServerEntry;

namespace {

// The servers --apply names, in the file's order; the names no server has in
// `missing`.
QList<ServerEntry> namedServers(const QList<ServerEntry>& list, const HostOptions& options,
                                QStringList* missing) {
    if (options.applyAll) return list;
    QList<ServerEntry> chosen;
    for (const ServerEntry& entry : list)
        if (options.applyServers.contains(entry.name)) chosen << entry;
    for (const QString& name : options.applyServers)
        if (std::none_of(list.begin(), list.end(),
                         [&](const ServerEntry& entry) { return entry.name == name; }))
            *missing << name;
    return chosen;
}

// The preset and the keys to take from it; the reason when there are none.
std::variant<std::pair<SettingsSource, QStringList>, QString> presetChoice(
    const HostOptions& options) {
    auto read = SettingsSource::fromPresetFile(options.applyPreset);
    if (const auto* error = std::get_if<QString>(&read)) return *error;
    const SettingsSource& source = std::get<SettingsSource>(read);
    if (options.applySettings.isEmpty()) return std::pair{source, source.defaultKeys()};
    if (const QStringList unknown = unknownKeys(options.applySettings); !unknown.isEmpty()) {
        QStringList known;
        for (const SettingChoice& choice : settingChoices()) known << choice.key;
        return QStringLiteral("no setting %1; the keys are %2")
            .arg(unknown.join(QStringLiteral(", ")), known.join(QStringLiteral(", ")));
    }
    for (const QString& key : options.applySettings)
        if (!source.heldKeys().contains(key))
            return QStringLiteral("%1 holds no %2").arg(options.applyPreset, key);
    // A preset the panel's Load would stop at is refused before any link opens.
    const auto loaded = source.applyTo(jexremote::defaultSettings(), options.applySettings);
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&loaded))
        return QStringLiteral("%1: %2: %3").arg(options.applyPreset, fault->setting, fault->reason);
    return std::pair{source, options.applySettings};
}

}  // namespace

int runFleetCommand(const HostOptions& options, QTextStream& out, QTextStream& err) {
    const auto refuse = [&err](const QString& why) {
        err << "jexhost: " << why << Qt::endl;
        return kFleetUsage;
    };
    const TakenRoot taken = takeHostRoot(QStringLiteral("close it first, or use it"));
    if (!taken.lock) return refuse(taken.refusal);
    const QString& root = taken.root;
    const QString serversFile = serversFileOf(root, options);
    const auto read = servers::readServersFile(serversFile);
    if (!read.ok()) return refuse(read.error);

    const BatchJournal journal(BatchJournal::folderOf(root));
    QList<ServerEntry> chosen = read.servers;
    std::optional<std::pair<SettingsSource, QStringList>> preset;
    if (options.undoBatch.isEmpty()) {
        QStringList missing;
        chosen = namedServers(read.servers, options, &missing);
        if (!missing.isEmpty())
            return refuse(QStringLiteral("no server named %1 in %2")
                              .arg(missing.join(QStringLiteral(", ")), serversFile));
        auto choice = presetChoice(options);
        if (const auto* error = std::get_if<QString>(&choice)) return refuse(*error);
        preset = std::get<0>(std::move(choice));
    } else {
        QString error;
        if (!journal.read(options.undoBatch, &error)) return refuse(error);
    }

    LinkPool pool(options.timeoutMs, options.keepAliveMs);
    const bool anyEmbedded = std::any_of(chosen.begin(), chosen.end(),
                                         [](const auto& entry) { return entry.isEmbedded(); });
    const auto embedded = anyEmbedded ? startOwnRemote(root, options, pool, err) : nullptr;

    FleetRun run(pool, serversFile, &journal);
    QEventLoop loop;
    QString failure;
    QObject::connect(&run, &FleetRun::finished, &loop, [&](const QString& error) {
        failure = error;
        loop.quit();
    });
    bool ended = false;
    QObject::connect(&run, &FleetRun::finished, &loop, [&ended] { ended = true; });
    if (!options.undoBatch.isEmpty())
        run.undo(options.undoBatch, read.servers);
    else if (options.dryRun)
        run.preview(chosen, preset->first, preset->second);
    else
        run.apply(chosen, preset->first, preset->second);
    if (!ended) loop.exec();

    // An undo that found nothing left to undo sent nothing and recorded nothing.
    if (!options.undoBatch.isEmpty() && run.outcomes().isEmpty() && !failure.isEmpty())
        return refuse(failure);
    bool allDone = failure.isEmpty();
    for (const ServerOutcome& outcome : run.outcomes()) {
        allDone &= isSuccess(outcome.outcome);
        out << outcomeLine(outcome, run.batchId()) << Qt::endl;
    }
    if (!failure.isEmpty()) err << "jexhost: " << failure << Qt::endl;
    return allDone ? kFleetAllDone : kFleetNotAllDone;
}

}  // namespace jexhost::fleet
