#pragma once
// What the traffic view keeps of a request and its answer. Request and answer
// texts carry passwords (an update body, a settings reply), so neither is
// kept: a request becomes its command, a one-line summary and, for a
// settings update, its settings in the form's words with every password
// "(hidden)"; an answer becomes a one-line summary.

#include <QList>
#include <QString>

#include <optional>

#include "exchange/model/setting_text.h"
#include "exchange/wire/request.h"
#include "host/changes/settings_difference.h"

namespace jexhost::traffic {

using kdrsm::model::kHidden;

struct FieldLine {
    QString label;
    QString value;
};

struct RequestDetails {
    QString command;  // empty when the text is not a request
    QString summary;
    QList<FieldLine> fields;
};

// A request already taken apart: `textSize` is the length of its text, and
// `update`, for a settings update, the settings its body makes of the last
// fetch (or the fault that kept it from being read).
RequestDetails describeRequest(const std::optional<kdrsm::wire::Request>& request,
                               qsizetype textSize, const changes::Snapshot* update);

// The answer to a request of `command`, summarised without its content.
QString describeAnswer(const QString& command, const QString& answerText);

}  // namespace jexhost::traffic
