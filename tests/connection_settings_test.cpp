// Reading Vendrake.ini as Windows reads it, and the connection profiles its Tipo selects.
#include "db/ConnectionSettings.h"
#include "db/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

// 3000 characters in a pattern that shows where a value was cut.
std::string longValue() {
    std::string value;
    for (int i = 0; i < 3000; ++i)
        value += static_cast<char>('a' + i % 26);
    return value;
}

struct ReadCase {
    const char* name;
    std::optional<std::string> file; // no file at all when empty
    QString tipo;
    QString caminho;
};

const QString kDefaultTipo = QStringLiteral("Standard");
const QString kDefaultCaminho = QStringLiteral("C:\\Sistemas\\Dados");

TEST(ReadConnectionSettings, ReadsTheFileAsWindowsDoes) {
    const std::string tooLong = longValue();
    const ReadCase cases[] = {
        {"no file", std::nullopt, kDefaultTipo, kDefaultCaminho},
        {"empty file", "", kDefaultTipo, kDefaultCaminho},
        {"other section only", "[Outra]\nTipo=MSSQL\nCaminho=X\n", kDefaultTipo, kDefaultCaminho},
        {"both keys", "[BDados]\nTipo=Interbase\nCaminho=servidor:/dados/loja.fdb\n", "Interbase",
         "servidor:/dados/loja.fdb"},
        {"one key leaves the other's default", "[BDados]\nTipo=MSSQL\n", "MSSQL", kDefaultCaminho},
        {"Standard in lower case is read as written", "[BDados]\nTipo=standard\n", "standard",
         kDefaultCaminho},
        {"backslashes and commas kept", "[BDados]\nCaminho=C:\\Sistemas\\Dados,2\n", kDefaultTipo,
         "C:\\Sistemas\\Dados,2"},
        {"section and key names in any case", "[bdados]\ntIPO=MSSQL\nCAMINHO=Vendas\n", "MSSQL",
         "Vendas"},
        {"blanks around names and values",
         "  [BDados]  \n\t Tipo \t=  MSSQL  \r\nCaminho =  a b \n", "MSSQL", "a b"},
        {"comment lines skipped", "[BDados]\n; Tipo=Interbase\n# Caminho=X\nTipo=MSSQL\n", "MSSQL",
         kDefaultCaminho},
        {"a semicolon inside a value is text", "[BDados]\nCaminho=D:\\Loja ;2\n", kDefaultTipo,
         "D:\\Loja ;2"},
        {"an indented line is a key, not a continuation",
         "[BDados]\nTipo=MSSQL\n   Caminho=Vendas\n", "MSSQL", "Vendas"},
        {"quotes around a value dropped", "[BDados]\nCaminho=\" C:\\Dados \"\n", kDefaultTipo,
         " C:\\Dados "},
        {"empty value is not the default", "[BDados]\nTipo=\nCaminho=\n", "", ""},
        {"first occurrence wins", "[BDados]\nTipo=MSSQL\nTipo=Interbase\n", "MSSQL",
         kDefaultCaminho},
        {"Windows-1252 text", "[BDados]\nCaminho=C:\\Produ\xe7\xe3o\n", kDefaultTipo,
         QStringLiteral("C:\\Produ\u00e7\u00e3o")},
        {"UTF-8 text with a byte-order mark",
         "\xef\xbb\xbf[BDados]\nCaminho=C:\\Produ\xc3\xa7\xc3\xa3o\n", kDefaultTipo,
         QStringLiteral("C:\\Produ\u00e7\u00e3o")},
        {"a value over 2047 characters is cut, the next line still read",
         "[BDados]\nCaminho=" + tooLong + "\nTipo=MSSQL\n", "MSSQL",
         QString::fromStdString(tooLong.substr(0, 2047))},
    };

    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("Vendrake.ini"));
        if (c.file) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.file->data(), static_cast<qint64>(c.file->size()));
        }
        const ConnectionSettings settings = readConnectionSettings(path);
        EXPECT_EQ(settings.tipo, c.tipo);
        EXPECT_EQ(settings.caminho, c.caminho);
    }
}

struct ProfileCase {
    const char* tipo;
    const char* caminho;
    QString driverName;
    QString aliasName;
    QStringList params;
};

TEST(ApplyConnectionProfile, MatchesTipoExactly) {
    const ProfileCase cases[] = {
        {"Standard",
         "C:\\Sistemas\\Dados",
         "STANDARD",
         "",
         {"PATH=C:\\Sistemas\\Dados", "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"}},
        {"Interbase",
         "localhost:/dados/loja.fdb",
         "",
         "Krevan",
         {"SERVER NAME=localhost:/dados/loja.fdb", "USER NAME=SYSDBA", "password=plumtrove"}},
        {"MSSQL", "VendasSQL", "", "VendasSQL", {"USER NAME=sa"}},
        {"standard", "C:\\Dados", "STANDARD", "", {}},
        {"MSSQL ", "VendasSQL", "STANDARD", "", {}},
        {"", "C:\\Dados", "STANDARD", "", {}},
    };

    for (const ProfileCase& c : cases) {
        SCOPED_TRACE(c.tipo);
        TDatabase database;
        // Left over from an earlier profile: the new one replaces all of it.
        database.setAliasName(QStringLiteral("Antigo"));
        database.params() << QStringLiteral("PATH=/antigo");

        applyConnectionProfile(database, {QString::fromUtf8(c.tipo), QString::fromUtf8(c.caminho)});
        EXPECT_EQ(database.driverName(), c.driverName);
        EXPECT_EQ(database.aliasName(), c.aliasName);
        EXPECT_EQ(database.params(), c.params);
        EXPECT_FALSE(database.connected());
    }
}

TEST(ApplyConnectionProfile, ClosesAnOpenConnection) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile empty(dir.filePath(QStringLiteral("Confeccao.db")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    TDatabase database;
    database.setDatabaseName(QStringLiteral("Confeccao"));
    database.setDriverName(QStringLiteral("STANDARD"));
    database.params() << QStringLiteral("PATH=") + dir.path();
    database.open();
    ASSERT_TRUE(database.connected());

    applyConnectionProfile(database, {QStringLiteral("Standard"), dir.path()});
    EXPECT_FALSE(database.connected());
    database.open();
    EXPECT_TRUE(database.connected());
}

} // namespace
