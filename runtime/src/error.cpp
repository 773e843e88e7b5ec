#include "jex/error.h"

#include <QHash>

namespace jex {

QString errorDescription(qint32 number) {
    static const QHash<qint32, QString> descriptions = {
        {3, QStringLiteral("Return without GoSub")},
        {5, QStringLiteral("Invalid procedure call or argument")},
        {6, QStringLiteral("Overflow")},
        {7, QStringLiteral("Out of memory")},
        {9, QStringLiteral("Subscript out of range")},
        {10, QStringLiteral("This array is fixed or temporarily locked")},
        {11, QStringLiteral("Division by zero")},
        {13, QStringLiteral("Type mismatch")},
        {14, QStringLiteral("Out of string space")},
        {28, QStringLiteral("Out of stack space")},
        {35, QStringLiteral("Sub or Function not defined")},
        {48, QStringLiteral("Error in loading DLL")},
        {51, QStringLiteral("Internal error")},
        {52, QStringLiteral("Bad file name or number")},
        {53, QStringLiteral("File not found")},
        {54, QStringLiteral("Bad file mode")},
        {55, QStringLiteral("File already open")},
        {57, QStringLiteral("Device I/O error")},
        {58, QStringLiteral("File already exists")},
        {61, QStringLiteral("Disk full")},
        {62, QStringLiteral("Input past end of file")},
        {67, QStringLiteral("Too many files")},
        {68, QStringLiteral("Device unavailable")},
        {70, QStringLiteral("Permission denied")},
        {71, QStringLiteral("Disk not ready")},
        {75, QStringLiteral("Path/File access error")},
        {76, QStringLiteral("Path not found")},
        {91, QStringLiteral("Object variable or With block variable not set")},
        {92, QStringLiteral("For loop not initialized")},
        {94, QStringLiteral("Invalid use of Null")},
        {360, QStringLiteral("Object already loaded")},
        {380, QStringLiteral("Invalid property value")},
        {424, QStringLiteral("Object required")},
        {429, QStringLiteral("ActiveX component can't create object")},
        {438, QStringLiteral("Object doesn't support this property or method")},
        {440, QStringLiteral("Automation error")},
        {450, QStringLiteral("Wrong number of arguments or invalid property assignment")},
        {457, QStringLiteral("This key is already associated with an element of this collection")},
        {481, QStringLiteral("Invalid picture")},
        {730, QStringLiteral("Control not found")},
    };
    return descriptions.value(number,
                              QStringLiteral("Application-defined or object-defined error"));
}

Error::Error(qint32 number, const QString& description, qint32 line)
    : Error(ErrObject{number, description.isEmpty() ? errorDescription(number) : description},
            line) {}

Error::Error(const ErrObject& object, qint32 line)
    : object_(object),
      line_(line),
      what_(
          QStringLiteral("Error %1: %2").arg(object.number).arg(object.description).toStdString()) {
}

void raise(qint32 number, const QString& description) {
    throw Error(number, description);
}

}  // namespace jex
