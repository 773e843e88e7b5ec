#include "plugin/module_state.h"

#include "form/frmrcKDRSM.h"

namespace kdrsm {

ModuleState& mdl() {
    thread_local ModuleState state;
    return state;
}

frmrcKDRSM& formInstance() {
    ModuleState& state = mdl();
    if (!state.form) {
        state.form = new frmrcKDRSM;
        state.form->Form_Load();
    }
    return *state.form;
}

void unloadForm() {
    ModuleState& state = mdl();
    if (!state.form) return;
    state.form->Form_Unload();
    delete state.form.data();
    state.form = nullptr;
}

}  // namespace kdrsm
