#include "fuzz_host.h"

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QIcon>
#include <QProxyStyle>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "diagnostics/message_box_service.h"
#include "jex/components.h"

namespace kdrsm::fuzz {

namespace {

ShownBoxes boxes;

// The application style, keeping the standard icons it has drawn. Qt's file
// dialog asks the style for a dozen of them each time it is built, and the
// style decodes each from its image files afresh: that set-up, not the work
// under test, would take most of every input.
class IconKeepingStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (option) return QProxyStyle::standardIcon(which, option, widget);
        auto kept = icons_.constFind(which);
        if (kept == icons_.constEnd())
            kept = icons_.insert(which, QProxyStyle::standardIcon(which, nullptr, widget));
        return *kept;
    }

private:
    mutable QHash<int, QIcon> icons_;
};

void recordBox(const QString& title, const QString& text) {
    boxes.lastTitle = title;
    boxes.lastText = text;
    ++boxes.count;
}

}  // namespace

QString startHost() {
    static QString root;
    if (!root.isEmpty()) return root;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("JEX_COMPONENT_PATH"))
        qputenv("JEX_COMPONENT_PATH", JEX_FUZZ_COMPONENT_DIR);
    // Lives until the process ends; libFuzzer leaves through exit(). In
    // memory where the machine offers it: every write of the file helper
    // syncs to disk, which would otherwise bound the run's speed.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/jexfuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/jexfuzz-XXXXXX"));
    if (!folder.isValid()) broken(QStringLiteral("no temporary host folder"));
    root = folder.path();
    qputenv("JEX_HOST_ROOT", QDir::toNativeSeparators(root).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", root.toLocal8Bit());
    // Qt's file dialog keeps its last state in the user's settings: in the
    // host folder, not in the home folder, and in memory like the rest.
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    static int argc = 1;
    static char name[] = "jexfuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics go first, and an application
    // torn down after them crashes.
    static QApplication* app = new QApplication(argc, argv);
    app->setStyle(new IconKeepingStyle);
    setMessageBoxService(&recordBox);
    return root;
}

QObject* component(const QString& progId) {
    startHost();
    QObject* object = nullptr;
    mustNotRaise("creating a component", [&] { object = jex::createObject(progId); });
    if (!object) broken(QStringLiteral("%1 could not be created").arg(progId));
    return object;
}

void mustNotRaise(const char* what, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        broken(QStringLiteral("exception while %1: %2").arg(what, e.what()));
    } catch (...) {
        broken(QStringLiteral("unknown exception while %1").arg(what));
    }
}

void broken(const QString& description) {
    std::fprintf(stderr, "property broken: %s\n", qUtf8Printable(description));
    std::abort();
}

const ShownBoxes& shownBoxes() {
    return boxes;
}

QString text(const uint8_t* data, size_t size) {
    return QString::fromUtf8(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
}

}  // namespace kdrsm::fuzz
