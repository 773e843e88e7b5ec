#pragma once
// jexhost's window: the plug-in's panel fills the content area; a tool bar
// hides and shows it; the title and status bar tell which plug-in it is.

#include <QMainWindow>

namespace jexhost {

class HostSession;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(HostSession& session, QWidget* parent = nullptr);

    QWidget* panelHost() const { return panelHost_; }
    void showPanel();
    void hidePanel();

private:
    HostSession& session_;
    QWidget* panelHost_;
    QAction* toggle_;
    bool panelShown_ = false;
};

}  // namespace jexhost
