#include "jex/latebound.h"

#include <QMetaMethod>

#include <map>
#include <tuple>
#include <vector>

#include "jex/boundary.h"
#include "jex/error.h"

namespace jex {

namespace {

bool isCallable(const QMetaMethod& m) {
    return m.methodType() == QMetaMethod::Method || m.methodType() == QMetaMethod::Slot;
}

// Converts one argument to the declared parameter type, or raises 13.
QVariant convertArgument(const QVariant& arg, QMetaType type) {
    if (arg.metaType() == type) return arg;
    if (type.flags() & QMetaType::PointerToQObject) {
        if (!arg.isValid() || arg.isNull()) return QVariant(type);  // a null reference
        if (!(arg.metaType().flags() & QMetaType::PointerToQObject)) raise(err::TypeMismatch);
        QObject* object = *static_cast<QObject* const*>(arg.constData());
        if (object && !object->metaObject()->inherits(type.metaObject())) raise(err::TypeMismatch);
        return QVariant(type, &object);
    }
    if (!arg.isValid()) return QVariant(type);  // Empty converts to the type's default
    QVariant converted = arg;
    if (!converted.convert(type)) raise(err::TypeMismatch);
    return converted;
}

// The method a call by name and argument count reaches on a class: -1 when
// the class has none of that name, -2 when none of that name takes that
// many arguments. Looked up once per class, name and count: a reply into
// the form makes a hundred calls.
int methodIndex(const QMetaObject* meta, const char* name, qsizetype argumentCount) {
    using Key = std::tuple<const QMetaObject*, QByteArray, qsizetype>;
    thread_local std::map<Key, int> known;
    Key key{meta, QByteArray(name), argumentCount};
    if (const auto it = known.find(key); it != known.end()) return it->second;
    int index = -1;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (!isCallable(m) || m.name() != name) continue;
        index = -2;
        if (m.parameterCount() == argumentCount) {
            index = i;
            break;
        }
    }
    known.emplace(std::move(key), index);
    return index;
}

}  // namespace

bool hasMethod(const QObject* target, const char* name) {
    if (!target) return false;
    const QMetaObject* meta = target->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (isCallable(m) && m.name() == name) return true;
    }
    return false;
}

QVariant call(QObject* target, const char* name, const QVariantList& args) {
    if (!target) raise(err::ObjectNotSet);
    const QMetaObject* meta = target->metaObject();
    const int index = methodIndex(meta, name, args.size());
    if (index == -1) raise(err::NoSuchMethod);
    if (index == -2) raise(err::WrongArgumentCount);
    const QMetaMethod method = meta->method(index);

    // Storage for the converted arguments; argv points into it, so it is
    // sized once and never reallocated.
    std::vector<QVariant> storage;
    storage.reserve(static_cast<size_t>(args.size()));
    std::vector<void*> argv(static_cast<size_t>(args.size()) + 1, nullptr);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QMetaType type = method.parameterMetaType(static_cast<int>(i));
        if (type == QMetaType::fromType<QVariant>()) {
            storage.push_back(args[i]);
            argv[static_cast<size_t>(i) + 1] = &storage.back();
        } else {
            storage.push_back(convertArgument(args[i], type));
            argv[static_cast<size_t>(i) + 1] = storage.back().data();
        }
    }

    QVariant result;
    const QMetaType returnType = method.returnMetaType();
    if (returnType == QMetaType::fromType<QVariant>()) {
        argv[0] = &result;
    } else if (returnType.isValid() && returnType.id() != QMetaType::Void) {
        result = QVariant(returnType);
        argv[0] = result.data();
    }

    takePendingError();
    QMetaObject::metacall(target, QMetaObject::InvokeMetaMethod, method.methodIndex(), argv.data());
    if (const auto error = takePendingError()) throw Error(*error);
    return result;
}

}  // namespace jex
