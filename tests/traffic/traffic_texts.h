#pragma once
// Request and answer texts the traffic tests send through the model. The
// passwords are "s3cr3t!" (server), "blue pass" and "red pass" (kChangedUpdate
// sets "n3w pass"); the host message is `Hi, "all"`.

#include <QString>

namespace traffic_test {

// A settings fetch for profile 0 with the tag "abc" (41 bytes).
inline const QString kFetch = QStringLiteral("Plugin_jexKDRSM_GetSettingsRem_abc_VB6_0_");

// The 33 update fields (the reply's first 33).
#define TRAFFIC_TEST_FIELDS                                                                  \
    "TXkgc2VydmVy||1|czNjcjN0IQ==|15|0|2|2|8|1|0|1|0|SGksICJhbGwi|Ymx1ZSBwYXNz|cmVkIHBhc3M=" \
    "|0|6|1|1|15|210|100|1|0|0|1|0|1|15000|0|0|1"

// An update for profile 1: weapons "M4" and "Knife", roles CQB and Medic,
// auto-load on (204 bytes).
inline const QString kUpdate =
    QStringLiteral("Plugin_jexKDRSM_SetSettingsRem_abc_VB6_1_" TRAFFIC_TEST_FIELDS
                   "[-]TTQ=|S25pZmU=[-]CQB||Medic|[-]1");

// An update for profile 1 against kReply: 24 players and the server password
// "n3w pass"; weapon M4, roles CQB and Medic, auto-load on as before.
inline const QString kChangedUpdate = QStringLiteral(
    "Plugin_jexKDRSM_SetSettingsRem_abc_VB6_1_TXkgc2VydmVy||1|bjN3IHBhc3M=|23|0|2|2|8|1|0|1|0|"
    "SGksICJhbGwi|Ymx1ZSBwYXNz|cmVkIHBhc3M=|0|6|1|1|15|210|100|1|0|0|1|0|1|15000|0|0|1"
    "[-]TTQ=[-]CQB||Medic|[-]1");

// An update body one field short (181 bytes, 140 of them data).
inline const QString kShortUpdate = QStringLiteral(
    "Plugin_jexKDRSM_SetSettingsRem_abc_VB6_1_TXkgc2VydmVy||1|czNjcjN0IQ==|15|0|2|2|8|1|0|1|0|"
    "SGksICJhbGwi|Ymx1ZSBwYXNz|cmVkIHBhc3M=|0|6|1|1|15|210|100|1|0|0|1|0|1|15000|0|0[-][-]|||[-]0");

// The settings reply to kFetch, with the same passwords (179 bytes).
inline const QString kReply =
    QStringLiteral(TRAFFIC_TEST_FIELDS "|0[-]True|False|True|False[-]TTQ=,1|S25pZmU=,0[-]1");

#undef TRAFFIC_TEST_FIELDS

}  // namespace traffic_test
