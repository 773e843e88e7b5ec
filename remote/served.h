#pragma once
// What serving one message did: the answer for its sender and, when it
// stored a change of a server's settings, the notice every other welcomed
// connection gets.

#include <optional>

#include "link/link_messages.h"

namespace jexremote {

template <typename Answer>
struct Served {
    Answer answer;
    std::optional<jexlink::ChangedNotice> changed = {};
};

}  // namespace jexremote
