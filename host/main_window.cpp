#include "host/main_window.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "host/host_session.h"

namespace jexhost {

namespace {
const QSize kPanelSize(760, 430);
}

MainWindow::MainWindow(HostSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), panelHost_(new QWidget(this)) {
    const PluginDescriptor& plugin = session.descriptor();
    setWindowTitle(QStringLiteral("jexhost - %1 %2").arg(plugin.name, plugin.version));

    panelHost_->setObjectName(QStringLiteral("panelHost"));
    panelHost_->setFixedSize(kPanelSize);
    setCentralWidget(panelHost_);

    QToolBar* tools = addToolBar(QStringLiteral("Panel"));
    tools->setMovable(false);
    toggle_ = tools->addAction(QStringLiteral("Hide panel"));
    connect(toggle_, &QAction::triggered, this,
            [this] { panelShown_ ? hidePanel() : showPanel(); });

    statusBar()->addWidget(new QLabel(QStringLiteral("Games: ") + plugin.games.join(u"; ")));
    statusBar()->addPermanentWidget(new QLabel(session.remoteUrl().toString()));
}

void MainWindow::showPanel() {
    session_.openPanel(static_cast<qint64>(panelHost_->winId()), panelHost_->size(),
                       panelHost_->logicalDpiX(), panelHost_->logicalDpiY());
    panelShown_ = true;
    toggle_->setText(QStringLiteral("Hide panel"));
}

void MainWindow::hidePanel() {
    session_.hidePanel();
    panelShown_ = false;
    toggle_->setText(QStringLiteral("Show panel"));
}

}  // namespace jexhost
