#include "exchange/wire/field_captions.h"

namespace kdrsm::wire {

// The captions are the form's own, misspellings included.
// clang-format off
const std::array<FieldCaption, 34> kFieldCaptions = {{
    {"Name:",                  false},  //  0
    {"Country:",               false},  //  1
    {"Sesstion Type:",         false},  //  2
    {"Password:",              true},   //  3
    {"Max Players:",           false},  //  4
    {"Time Limit:",            false},  //  5
    {"Start Delay:",           false},  //  6
    {"Replay Maps:",           false},  //  7
    {"Respawn Time:",          false},  //  8
    {"Dedicated:",             false},  //  9
    {"Req. Nova Login:",       false},  // 10
    {"Custom Skins:",          false},  // 11
    {"Auto Balance:",          false},  // 12
    {"Host Message:",          false},  // 13
    {"Blue Password:",         true},   // 14
    {"Red Password:",          true},   // 15
    {"Friendly Fire Kills:",   false},  // 16
    {"Max Friendly Kills:",    false},  // 17
    {"Show Friendly Tags:",    false},  // 18
    {"Friendly Fire Warning:", false},  // 19
    {"PSP Takeover Time:",     false},  // 20
    {"Flag Return Time:",      false},  // 21
    {"Max Team Lives:",        false},  // 22
    {"Show Tracers:",          false},  // 23
    {"Show Team Clays:",       false},  // 24
    {"Allow Auto Range:",      false},  // 25
    {"Enable Min Ping Check:", false},  // 26
    {"Min Ping:",              false},  // 27
    {"Enable Max Ping Check:", false},  // 28
    {"Max Ping:",              false},  // 29
    {"One Shot Kills:",        false},  // 30
    {"Fat Bullets:",           false},  // 31
    {"Destroy Buildings:",     false},  // 32
    {"Game Port:",             false},  // 33
}};
// clang-format on

}  // namespace kdrsm::wire
