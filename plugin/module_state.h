#pragma once
// The shared state of the plug-in (module mdlKDRSM): one copy per thread that
// uses the library. Everything the host drives through clsPlugin and the form
// works on it.

#include <QObject>
#include <QPointer>
#include <QString>

namespace kdrsm {

class frmrcKDRSM;

struct ModuleState {
    QString HostRoot;                // host root folder, no trailing separator
    QObject* objMFD = nullptr;       // "jexrcZTA.clsMFD"
    QObject* objMemory = nullptr;    // "jexrcWOB.clsMemory"
    QString HostTag;                 // text of PDAT(0) from LoadInterface
    qint32 ProfileIndex = 0;         // Index of LoadInterface
    QString PendingCommand;          // "LoadForm" or "Update Settings"
    bool NoDataReceived = false;     // the last reply carried no data
    QPointer<QObject> colPrivNames;  // NameCol of the latest SetPrivis
    QPointer<frmrcKDRSM> form;       // the one settings form, once created
    bool started = false;            // Main has run on this thread
};

// This thread's module state.
ModuleState& mdl();

// The one settings form, created and loaded (Form_Load) on first use.
frmrcKDRSM& formInstance();

// Unloads (Form_Unload) and destroys the form, if it exists.
void unloadForm();

}  // namespace kdrsm
