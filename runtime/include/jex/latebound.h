#pragma once
// Late-bound calls: a method of a QObject called by name with variant
// arguments, directly in the calling thread, through Qt's meta-object system.

#include <QObject>
#include <QVariant>
#include <QVariantList>

#include "jex/export.h"

namespace jex {

// Calls the invokable method `name` of `target` whose parameter count equals
// the number of arguments, converting each argument to the declared
// parameter type. The result is an invalid variant for a void method.
// A null target raises 91, an unknown method 438, no overload with that many
// parameters 450, an argument that does not convert 13. An error raised
// inside the callee reaches the caller with its number and description.
JEX_RUNTIME_EXPORT QVariant call(QObject* target, const char* name, const QVariantList& args = {});

// True when `target` has an invokable method of that name.
JEX_RUNTIME_EXPORT bool hasMethod(const QObject* target, const char* name);

}  // namespace jex
