#pragma once
// Numbered run-time errors, as the operator sees them in error boxes and logs.
// The numbers and descriptions are the classic BASIC run-time ones.

#include <QMetaType>
#include <QString>

#include <exception>
#include <string>

#include "jex/export.h"

namespace jex {

namespace err {
inline constexpr qint32 InvalidCall = 5;
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 OutOfMemory = 7;
inline constexpr qint32 SubscriptOutOfRange = 9;
inline constexpr qint32 DivisionByZero = 11;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 BadFileName = 52;
inline constexpr qint32 FileNotFound = 53;
inline constexpr qint32 FileAlreadyExists = 58;
inline constexpr qint32 DiskFull = 61;
inline constexpr qint32 PermissionDenied = 70;
inline constexpr qint32 PathFileAccess = 75;
inline constexpr qint32 PathNotFound = 76;
inline constexpr qint32 ObjectNotSet = 91;
inline constexpr qint32 ObjectAlreadyLoaded = 360;
inline constexpr qint32 InvalidPropertyValue = 380;
inline constexpr qint32 ObjectRequired = 424;
inline constexpr qint32 CantCreateObject = 429;
inline constexpr qint32 NoSuchMethod = 438;
inline constexpr qint32 WrongArgumentCount = 450;
inline constexpr qint32 DuplicateKey = 457;
inline constexpr qint32 InvalidPicture = 481;
inline constexpr qint32 ControlNotFound = 730;
inline constexpr qint32 ApplicationDefined = 1004;
}  // namespace err

// The standard description of a run-time error number
// ("Application-defined or object-defined error" for unknown numbers).
JEX_RUNTIME_EXPORT QString errorDescription(qint32 number);

// The error object: number and description. It is the value handed to
// LogError and shown in error boxes, so it is a gadget readable late-bound.
struct JEX_RUNTIME_EXPORT ErrObject {
    Q_GADGET
    Q_PROPERTY(qint32 Number MEMBER number)
    Q_PROPERTY(QString Description MEMBER description)
public:
    qint32 number = 0;
    QString description;

    friend bool operator==(const ErrObject&, const ErrObject&) = default;
};

// A raised run-time error. The error path attaches the failing step's line.
class JEX_RUNTIME_EXPORT Error : public std::exception {
public:
    explicit Error(qint32 number, const QString& description = {}, qint32 line = 0);
    explicit Error(const ErrObject& object, qint32 line = 0);

    qint32 number() const { return object_.number; }
    const QString& description() const { return object_.description; }
    const ErrObject& object() const { return object_; }
    qint32 line() const { return line_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    ErrObject object_;
    qint32 line_ = 0;
    std::string what_;
};

// Raise error `number`, with its standard description unless one is given.
[[noreturn]] JEX_RUNTIME_EXPORT void raise(qint32 number, const QString& description = {});

}  // namespace jex

Q_DECLARE_METATYPE(jex::ErrObject)
