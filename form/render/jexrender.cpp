// Renders the settings form as the operator sees it after loading, one PNG
// per tab: jexrender <folder> writes form-tab0.png, form-tab1.png and
// form-tab2.png there. Runs headless unless a platform is chosen.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

#include "form/frmrcKDRSM.h"
#include "plugin/module_state.h"

namespace {

constexpr int kTabCount = 3;

// A plain button face, raised or pressed. The form reads faces by content,
// so a PNG under the expected ".gif" name serves.
bool writeFace(const QString& path, bool pressed) {
    QImage face(81, 33, QImage::Format_RGB32);
    QPainter painter(&face);
    QLinearGradient fill(0, 0, 0, face.height());
    fill.setColorAt(0, pressed ? QColor(0xC8, 0xC4, 0xB4) : QColor(0xFF, 0xFF, 0xFF));
    fill.setColorAt(1, pressed ? QColor(0xE8, 0xE5, 0xD8) : QColor(0xD6, 0xD2, 0xC2));
    painter.fillRect(face.rect(), fill);
    painter.setPen(QColor(0x00, 0x3C, 0x74));
    painter.drawRoundedRect(face.rect().adjusted(0, 0, -1, -1), 3, 3);
    painter.end();
    return face.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: jexrender <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "jexrender: cannot create %s\n", argv[1]);
        return 1;
    }

    QTemporaryDir host;
    QDir(host.path()).mkpath(QStringLiteral("imgs"));
    if (!host.isValid() || !writeFace(host.filePath(QStringLiteral("imgs/butup.gif")), false) ||
        !writeFace(host.filePath(QStringLiteral("imgs/butdown.gif")), true)) {
        std::fprintf(stderr, "jexrender: cannot write the button faces\n");
        return 1;
    }
    kdrsm::mdl().HostRoot = host.path();

    kdrsm::frmrcKDRSM form;
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    auto* tabs = qobject_cast<QTabWidget*>(form.control(QStringLiteral("SSTab2")));
    for (int tab = 0; tab < kTabCount; ++tab) {
        tabs->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("form-tab%1.png").arg(tab));
        if (!form.grab().save(file, "PNG")) {
            std::fprintf(stderr, "jexrender: cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    form.Form_Unload();
    return 0;
}
