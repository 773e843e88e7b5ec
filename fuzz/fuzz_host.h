#pragma once
// A host for the fuzz targets that drive real components: a headless
// application, a host root folder of its own (removed at exit), the built
// component libraries on the search path, and message boxes that are
// counted instead of waiting for an operator.

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kdrsm::fuzz {

// Starts the application and the host folder once; later calls do nothing.
// Returns the host root folder.
QString startHost();

// Creates a component by class name, or aborts: a fuzz run without its
// component would prove nothing.
QObject* component(const QString& progId);

// Runs `body`; an exception that leaves it is a finding (it would reach the
// host through a call that must not raise), reported with `what` and an
// abort, so that libFuzzer keeps the input.
void mustNotRaise(const char* what, const std::function<void()>& body);

// Aborts with the description of a broken property.
[[noreturn]] void broken(const QString& description);

// Boxes shown since the host started, by title.
struct ShownBoxes {
    QString lastTitle;
    QString lastText;
    int count = 0;
};
const ShownBoxes& shownBoxes();

// The input bytes as UTF-8 text (invalid sequences become U+FFFD).
QString text(const uint8_t* data, size_t size);

}  // namespace kdrsm::fuzz
