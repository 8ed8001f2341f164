#include "AppTitle.h"

#include <QCoreApplication>

QString titleFromProgramPath(const QString& programPath) {
    QString name = programPath.mid(programPath.lastIndexOf(u'/') + 1);
    name.truncate(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    return name.left(1) + name.mid(1).toLower();
}

QString applicationTitle() {
    // The file the process runs, as the system knows it, not whatever argv[0] says.
    return titleFromProgramPath(QCoreApplication::applicationFilePath());
}
