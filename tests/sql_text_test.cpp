// The SQL text the engines receive, and the schema scripts split into statements.
#include "db/Schema.h"
#include "db/SqlText.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlText, FindsParametersOutsideQuotedText) {
    struct Case {
        const char* sql;
        const char* positional;
        QStringList names;
    };
    const Case cases[] = {
        {"WHERE D BETWEEN :Inicio AND :Final", "WHERE D BETWEEN ? AND ?", {"Inicio", "Final"}},
        {"WHERE A = ':x' AND B = :y", "WHERE A = ':x' AND B = ?", {"y"}},
        {"WHERE A = 'it''s :x' AND B = :y", "WHERE A = 'it''s :x' AND B = ?", {"y"}},
        {"SELECT \"a:b\" FROM T WHERE C = :_c1", "SELECT \"a:b\" FROM T WHERE C = ?", {"_c1"}},
        {"WHERE A = :p OR B = :p", "WHERE A = ? OR B = ?", {"p", "p"}},
        {"SELECT x::int, '12:30', :1", "SELECT x::int, '12:30', :1", {}},
    };
    for (const Case& c : cases) {
        const PositionalSql result = toPositional(QString::fromLatin1(c.sql));
        EXPECT_EQ(result.text, QString::fromLatin1(c.positional)) << c.sql;
        EXPECT_EQ(result.paramNames, c.names) << c.sql;
    }
}

TEST(SqlText, JoinsEachLineWithCrLf) {
    EXPECT_EQ(joinSqlLines({"a", "", "b"}), QStringLiteral("a\r\n\r\nb\r\n"));
    EXPECT_EQ(joinSqlLines({}), QString());
}

TEST(SchemaScript, SplitsStatementsObjectsAndTerminators) {
    const QString script = QStringLiteral("-- a comment\n"
                                          "-- object: T\n"
                                          "CREATE TABLE T (\n"
                                          "    -- inside\n"
                                          "    A INTEGER\n"
                                          ");\r\n"
                                          "CREATE INDEX I ON T (A);\n"
                                          "\n"
                                          "-- object: F\n"
                                          "SET TERM ^ ;\n"
                                          "CREATE FUNCTION F RETURNS INT AS\n"
                                          "BEGIN\n"
                                          "    RETURN 1;\n"
                                          "END^\n"
                                          "SET TERM ; ^\n");
    const std::vector<SchemaObject> objects = parseSchemaScript(script);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].name, QStringLiteral("T"));
    EXPECT_EQ(objects[0].statements,
              QStringList({"CREATE TABLE T (\n    A INTEGER\n)", "CREATE INDEX I ON T (A)"}));
    EXPECT_EQ(objects[1].name, QStringLiteral("F"));
    EXPECT_EQ(objects[1].statements,
              QStringList({"CREATE FUNCTION F RETURNS INT AS\nBEGIN\n    RETURN 1;\nEND"}));
}

TEST(SchemaScript, EveryEngineCreatesTheFourTables) {
    for (SchemaDialect dialect : {SchemaDialect::Sqlite, SchemaDialect::Firebird,
                                  SchemaDialect::PostgreSql, SchemaDialect::SqlServer}) {
        QStringList names;
        for (const SchemaObject& object : schemaObjects(dialect)) {
            EXPECT_FALSE(object.statements.isEmpty()) << object.name.toStdString();
            names << object.name;
        }
        for (const char* table : {"BR_REDUCAOZ", "BR_ITENS_RZ", "OrvekMestre", "OrvekAnalitico"}) {
            EXPECT_TRUE(names.contains(QLatin1String(table))) << table << " " << int(dialect);
        }
    }
}

} // namespace
