#pragma once
// A game's status as the link carries it, built by hand.

#include "link/game_messages.h"

namespace jextest {

// Profile `profile` runs the teeworlds definition, in `state`.
inline jexlink::GameStatus teeworldsGame(const QString& state, int profile = 0) {
    jexlink::GameStatus game;
    game.profile = profile;
    game.definition = QStringLiteral("teeworlds");
    game.state = state;
    return game;
}

}  // namespace jextest
