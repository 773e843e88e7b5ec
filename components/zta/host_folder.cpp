#include "host_folder.h"

#include <QDir>

#include "jex/error.h"
#include "jex/hostpaths.h"

namespace zta {

QString hostSubfolder(const QString& name) {
    const QString folder = jex::hostExecutableFolder() + u'/' + name;
    if (!QDir().mkpath(folder)) jex::raise(jex::err::PathFileAccess);
    return folder;
}

}  // namespace zta
