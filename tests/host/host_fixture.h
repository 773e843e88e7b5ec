#pragma once
// What the host's tests share: a temporary root laid out like an installed
// host, token files, the embedded panel's controls, a jexremote process and a
// capture of the process's own log lines.

#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QWidget>

#include "host/console/console_window.h"
#include "host/host_session.h"
#include "support/remote_program.h"
#include "support/temp_host.h"

namespace jextest {

inline constexpr int kHostWaitMs = 10000;  // upper bound only

// Button faces and configuration below the root.
void prepareHostRoot(const TempHost& host);

// The console's window, shown. The panel finds the host's root once per
// process, so each test that shows it needs a process of its own (CTest runs
// every test on its own).
class ShownConsole {
public:
    explicit ShownConsole(jexhost::HostSession& session);
    // The form lives as long as the plug-in's library: it leaves the window
    // before the window goes.
    ~ShownConsole();
    // Opens the server of this name and waits until an answer reached its
    // panel. False when there is no such server or no answer came.
    bool open(const QString& name);
    template <typename T>
    T* control(const char* name) const {
        QWidget* form = window_.panelHost()->findChild<QWidget*>(QStringLiteral("frmrcKDRSM"));
        return form ? form->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    // What the list's Link column shows for the server of this name.
    QString linkText(const QString& name) const;
    // The id of the server of this name; empty when there is none.
    QString idOf(const QString& name) const;
    // The server name in the form, empty when no form is shown.
    QString shownName() const;
    // The five guarded controls' states, in the order of the privileges.
    QList<bool> guardedEnabled() const;
    jexhost::ConsoleWindow& window() { return window_; }

private:
    jexhost::HostSession& session_;
    QSettings settings_;
    jexhost::ConsoleWindow window_;
};

// Collects the log lines of this process while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QString text() const;
};

}  // namespace jextest
