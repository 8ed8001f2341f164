#include "CommandComponents.h"

#include "db/ConnectionSettings.h"
#include "db/RuntimeError.h"
#include "db/SqliteBackend.h"
#include "export/AnalyticPass.h"
#include "export/MasterPass.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kSettingsFile = QStringLiteral("./Vendrake.ini");
const QString kDatabaseName = QStringLiteral("Confeccao");

} // namespace

CommandComponents::CommandComponents() {
    m_database.setDatabaseName(kDatabaseName);
    m_database.setDriverName(QStringLiteral("STANDARD"));
    m_database.setLoginPrompt(false);
    m_qOrvekMestre.setObjectName(QStringLiteral("QOrvekMestre"));
    m_qOrvekAnalitico.setObjectName(QStringLiteral("QOrvekAnalitico"));
    m_qOrvekMestre.setDatabaseName(kDatabaseName);
    m_qOrvekAnalitico.setDatabaseName(kDatabaseName);
    configureQOrvekMestre(m_qOrvekMestre);
    configureQOrvekAnalitico(m_qOrvekAnalitico);

    m_settingsFileFound = QFileInfo(kSettingsFile).isFile();
    applyConnectionProfile(m_database, readConnectionSettings(kSettingsFile));
}

CommandComponents::~CommandComponents() = default;

ExportComponents CommandComponents::exportComponents() {
    return {m_database, m_qOrvekMestre, m_qOrvekAnalitico, m_contarRegistro};
}

QString CommandComponents::embeddedDatabaseFile() const {
    if (!m_database.aliasName().isEmpty() ||
        m_database.driverName().compare(QLatin1String("STANDARD"), Qt::CaseInsensitive) != 0)
        return {};
    return SqliteBackend::databaseFile(m_database.params());
}

void CommandComponents::open() {
    try {
        m_database.open();
    } catch (const RuntimeError& error) {
        if (m_settingsFileFound)
            throw;
        const ConnectionSettings defaults;
        throw RuntimeError(error.message() +
                           QStringLiteral("\nThere is no Vendrake.ini in %1, so the defaults "
                                          "apply: Tipo=%2, Caminho=%3.")
                               .arg(QDir::currentPath(), defaults.tipo, defaults.caminho));
    }
}
