#pragma once
// What the operator sees beside each settings field on the form, by wire
// index, and which fields hold passwords: anything that shows a settings
// text outside the form (the host's traffic view) labels it the same way
// and never shows a password.

#include <array>

namespace kdrsm::wire {

struct FieldCaption {
    const char* label;  // the caption of the label beside the field's control
    bool secret;        // a password: never shown, logged or stored in any form
};

extern const std::array<FieldCaption, 34> kFieldCaptions;

// The captions of the sections after the fields.
inline constexpr const char* kWeaponsCaption = "Weapon Restrictions";
inline constexpr const char* kRolesCaption = "Role Restrictions";
inline constexpr const char* kAutoLoadCaption = "Autoload last known settings on start up.";

}  // namespace kdrsm::wire
