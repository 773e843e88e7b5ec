#pragma once
// Settings as the console keeps them to compare and show: every password
// replaced by a keyed fingerprint whose key lives in this process alone, so a
// password only ever "changed" and its text, in any encoding, is in no
// snapshot. A snapshot is its own type and turns into nothing an update body
// is made from (kdrsm::model::ServerSettings): only the comparisons in this
// folder read its settings whole; everyone else reads its texts.

#include <QList>
#include <QString>

#include "exchange/model/server_settings.h"

namespace jexhost::changes {

class Snapshot;
struct MergeReview;
struct OthersSince;
struct SettingsDifference;

// Settings with their passwords as fingerprints, or why they could not be read.
Snapshot snapshotOf(kdrsm::model::Read<kdrsm::model::ServerSettings> settings);
// A settings reply ("GetSettingsRem" answer).
Snapshot snapshotOfReply(const QString& reply);
// An update body ("SetSettingsRem" data) applied to the settings last fetched.
Snapshot snapshotOfUpdate(const QString& body, const Snapshot& lastFetched);

class Snapshot {
public:
    // No settings known: a fault saying that none were fetched.
    Snapshot();

    // Why the settings could not be read; null when they were.
    const kdrsm::model::Fault* fault() const { return std::get_if<kdrsm::model::Fault>(&read_); }
    // A field's text, a password's fingerprint; empty when not read.
    QString field(int index) const;
    QList<kdrsm::model::Restriction> roles() const;
    QList<kdrsm::model::Restriction> weapons() const;
    bool autoLoad() const;

private:
    explicit Snapshot(kdrsm::model::Read<kdrsm::model::ServerSettings> masked);
    // The masked settings, for the comparisons below alone.
    const kdrsm::model::ServerSettings* masked() const {
        return std::get_if<kdrsm::model::ServerSettings>(&read_);
    }

    friend Snapshot snapshotOf(kdrsm::model::Read<kdrsm::model::ServerSettings> settings);
    friend Snapshot snapshotOfUpdate(const QString& body, const Snapshot& lastFetched);
    friend SettingsDifference compare(const Snapshot& before, const Snapshot& after);
    friend MergeReview reviewMerge(const Snapshot& base, const Snapshot& current,
                                   const Snapshot& yours, const OthersSince& others);

    kdrsm::model::Read<kdrsm::model::ServerSettings> read_;
};

// "Setting: reason", or the reason alone when the fault names no setting.
QString faultText(const kdrsm::model::Fault& fault);

}  // namespace jexhost::changes
