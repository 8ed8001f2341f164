#include "DemoCommand.h"

#include "Console.h"
#include "db/Database.h"
#include "db/RuntimeError.h"
#include "db/Schema.h"
#include "export/DemoData.h"
#include "export/RegionalSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

const QString kDatabaseFile = QStringLiteral("Confeccao.db");
const QString kSettingsFile = QStringLiteral("Vendrake.ini");
constexpr int kPrinters = 4; // one shop's four registers

void refuseExisting(const QString& path) {
    if (QFileInfo::exists(path))
        throw RuntimeError(QStringLiteral("%1 already exists: the demo is made in a new folder "
                                          "and never replaces a database or its settings")
                               .arg(path));
}

// The database with its schema and data. Throws RuntimeError.
DemoDataCounts writeDatabase(const QString& dir, const DemoDataShape& shape) {
    QFile file(QDir(dir).filePath(kDatabaseFile));
    // An empty file is an empty SQLite database.
    if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly))
        throw RuntimeError(
            QStringLiteral("Cannot create %1: %2").arg(file.fileName(), file.errorString()));
    file.close();
    TDatabase database;
    database.setDatabaseName(QStringLiteral("OrvekDemo"));
    database.setDriverName(QStringLiteral("STANDARD"));
    database.params() << QStringLiteral("PATH=") + dir;
    database.open();
    createMissingSchema(database);
    return writeDemoData(database, shape);
}

void writeSettings(const QString& dir) {
    QFile file(QDir(dir).filePath(kSettingsFile));
    if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly | QIODevice::Text))
        throw RuntimeError(
            QStringLiteral("Cannot create %1: %2").arg(file.fileName(), file.errorString()));
    const QByteArray text =
        QStringLiteral("[BDados]\nTipo=Standard\nCaminho=%1\n").arg(dir).toUtf8();
    if (file.write(text) != text.size() || !file.flush())
        throw RuntimeError(
            QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

} // namespace

void runDemoCommand(const QString& dir, QDate today, const RegionalSettings& settings) {
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(dir));
    const QString databaseFile = QDir(path).filePath(kDatabaseFile);
    refuseExisting(databaseFile);
    refuseExisting(QDir(path).filePath(kSettingsFile));
    if (!QDir().mkpath(path))
        throw RuntimeError(QStringLiteral("Cannot create the folder %1").arg(path));

    DemoDataShape shape;
    shape.printers = kPrinters;
    shape.firstDay = today.addMonths(-3);
    // Up to yesterday: today's reductions are printed when the shop closes.
    shape.days = int(shape.firstDay.daysTo(today));
    const QDate lastDay = today.addDays(-1);
    DemoDataCounts counts;
    try {
        counts = writeDatabase(path, shape);
        writeSettings(path);
    } catch (const RuntimeError&) {
        // A half-made demo would be refused next time; a retry must find the folder as it was.
        // Both files were found missing above, so whatever is there now is this command's.
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(databaseFile + suffix);
        QFile::remove(QDir(path).filePath(kSettingsFile));
        throw;
    }

    const QString inicio = shape.firstDay.toString(Qt::ISODate);
    const QString final = lastDay.toString(Qt::ISODate);
    QString text = QStringLiteral("Created %1 with Vendrake.ini and Confeccao.db: %2 Z reductions "
                                  "of %3 printers, from %4 to %5.\n")
                       .arg(path, QString::number(counts.reductions), QString::number(kPrinters),
                            inicio, final);
    // The printers write their rates as "18,00", which only a decimal comma reads as a number.
    QString environment;
    if (settings.decimalSeparator != u',') {
        environment = QStringLiteral("env LC_ALL=pt_BR.UTF-8 ");
        text += QStringLiteral("Its rates are written as Brazilian printers write them (18,00), "
                               "which this system's regional settings do not read as numbers: "
                               "run it under Brazilian ones.\n");
    }
    text += QStringLiteral("Try it:\n"
                           "  cd %1\n"
                           "  %2%3 export --inicio %4 --final %5\n")
                .arg(path, environment, QCoreApplication::applicationFilePath(), inicio, final);
    writeOut(text);
}
