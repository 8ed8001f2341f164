// Taking a literal INSERT apart into its shape and values, and every text that must be left to
// SQLite whole.
#include "db/LiteralStatement.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The literals as one line: T:text, I:integer, R:text as written, separated by "|".
std::string describe(const LiteralStatement& statement) {
    std::string text;
    for (const Literal& literal : statement.literals) {
        if (!text.empty()) {
            text += '|';
        }
        switch (literal.kind) {
        case Literal::Kind::Text:
            text += "T:" + std::string(statement.valueBytes(literal));
            break;
        case Literal::Kind::Integer:
            text += "I:" + std::to_string(literal.integer);
            break;
        case Literal::Kind::Real:
            text += "R:" + std::string(statement.valueBytes(literal));
            break;
        }
    }
    return text;
}

TEST(LiteralStatement, ShapesAndValues) {
    struct Case {
        std::string sql;
        std::string shape;
        std::string values;
    };
    const Case cases[] = {
        // As the master pass sends it, lines ending in CR LF.
        {"INSERT INTO OrvekMestre(Emissao, Serie) Values(\r\n'15/03/2024', 'AB''C'\r\n"
         ", '2D', 100, -2147483648, 0007\r\n, 01234.56\r\n, 0-5.00\r\n, 'D''OR ''X''')\r\n",
         "INSERT INTO OrvekMestre(Emissao, Serie) Values(\r\n?, ?\r\n"
         ", ?, ?, -?, ?\r\n, +CAST(? AS REAL)\r\n, ?-+CAST(? AS REAL)\r\n, ?)\r\n",
         "T:15/03/2024|T:AB'C|T:2D|I:100|I:2147483648|I:7|R:01234.56|I:0|R:5.00|T:D'OR 'X'"},
        // A decimal comma is two values to SQL.
        {"INSERT INTO T VALUES(1,5E16)", "INSERT INTO T VALUES(?,+CAST(? AS REAL))", "I:1|R:5E16"},
        // Quotes, comment marks, parameters and line ends inside text are text.
        {"insert into t values('', '''', '-- /* ; ? :a $b \"c\"', 'a\r\nb')",
         "insert into t values(?, ?, ?, ?)", "T:|T:'|T:-- /* ; ? :a $b \"c\"|T:a\r\nb"},
        {"INSERT INTO T(Descricao) VALUES ('SUBSTITUIÇÃO TRIBUTÁRIA ICMS')",
         "INSERT INTO T(Descricao) VALUES (?)", "T:SUBSTITUIÇÃO TRIBUTÁRIA ICMS"},
        // The largest integer, one more (a real then), and leading zeros.
        {"INSERT INTO T VALUES(9223372036854775807, 9223372036854775809, 00000000000000000000001)",
         "INSERT INTO T VALUES(?, +CAST(? AS REAL), ?)",
         "I:9223372036854775807|R:9223372036854775809|I:1"},
        {"INSERT INTO T VALUES(.5, 5., 1e5, 1E+05, 2.5e-3)",
         "INSERT INTO T VALUES(+CAST(? AS REAL), +CAST(? AS REAL), +CAST(? AS REAL), +CAST(? AS "
         "REAL), +CAST(? AS REAL))",
         "R:.5|R:5.|R:1e5|R:1E+05|R:2.5e-3"},
        // Signs stay operators; a minus sign before a non-zero real or any integer is safe.
        {"INSERT INTO T VALUES(-0, -0.5, - (2.5), 2*-1.5, 1+-0)",
         "INSERT INTO T VALUES(-?, -+CAST(? AS REAL), - (+CAST(? AS REAL)), ?*-+CAST(? AS REAL), "
         "?+-?)",
         "I:0|R:0.5|R:2.5|I:2|R:1.5|I:1|I:0"},
        {"INSERT OR REPLACE INTO t$1 (a_b) VALUES (x.y || 'z') ON CONFLICT DO NOTHING",
         "INSERT OR REPLACE INTO t$1 (a_b) VALUES (x.y || ?) ON CONFLICT DO NOTHING", "T:z"},
        {"INSERT INTO T DEFAULT VALUES", "INSERT INTO T DEFAULT VALUES", ""},
    };
    for (const Case& c : cases) {
        LiteralStatement statement;
        ASSERT_TRUE(splitLiterals(QByteArrayView(c.sql), statement)) << c.sql;
        EXPECT_EQ(statement.shape, c.shape) << c.sql;
        EXPECT_EQ(describe(statement), c.values) << c.sql;
    }
}

TEST(LiteralStatement, LeavesEverythingElseToSqlite) {
    const std::string cases[] = {
        // Comments.
        "INSERT INTO T VALUES(1) -- note",
        "INSERT /* note */ INTO T VALUES(1)",
        // Blobs and hex numbers.
        "INSERT INTO T VALUES(X'00')",
        "INSERT INTO T VALUES(x'00')",
        "INSERT INTO T VALUES(0x1F)",
        // Parameters.
        "INSERT INTO T VALUES(?)",
        "INSERT INTO T VALUES(?1)",
        "INSERT INTO T VALUES(:a)",
        "INSERT INTO T VALUES(@a)",
        "INSERT INTO T VALUES($a)",
        "INSERT INTO T VALUES(#a)",
        // Quoted names, which SQLite may also read as text.
        "INSERT INTO \"T\" VALUES(1)",
        "INSERT INTO `T` VALUES(1)",
        "INSERT INTO [T] VALUES(1)",
        // Several statements, or one ended by a semicolon.
        "INSERT INTO T VALUES(1); INSERT INTO T VALUES(2)",
        "INSERT INTO T VALUES(1);",
        // Other statements.
        "",
        " \r\n",
        "UPDATE T SET A = 1",
        "REPLACE INTO T VALUES(1)",
        "WITH X AS (VALUES(1)) INSERT INTO T VALUES(1)",
        "(INSERT INTO T VALUES(1))",
        // Where a literal can name a result column or be read while preparing.
        "INSERT INTO T SELECT 1",
        "INSERT INTO T VALUES((select 1))",
        "INSERT INTO T VALUES(1),(2) ORDER BY 1",
        // Text SQLite would read otherwise or refuse.
        std::string("INSERT INTO T VALUES('a\0b')", 27),
        "INSERT INTO T VALUES('abc",
        "INSERT INTO T VALUES('a')\v",
        "INSERT INTO T VALUES(1e)",
        "INSERT INTO T VALUES(1e+)",
        "INSERT INTO T VALUES(1.5e)",
        "INSERT INTO T VALUES(12abc)",
        "INSERT INTO T VALUES(1_000)",
        // 2^63, which a minus sign in front makes the smallest integer.
        "INSERT INTO T VALUES(9223372036854775808)",
        "INSERT INTO T VALUES(-9223372036854775808)",
        "INSERT INTO T VALUES(-0009223372036854775808)",
        // Zeros a minus sign makes negative zeros.
        "INSERT INTO T VALUES(-0.0)",
        "INSERT INTO T VALUES(- 0.00)",
        "INSERT INTO T VALUES(-(0.0))",
        "INSERT INTO T VALUES(-((0e5)))",
        "INSERT INTO T VALUES(0-0.00)",
        // Reals where a unary plus could join what comes before.
        "INSERT INTO T VALUES(CASE WHEN 1 THEN 2.5 END)",
        "INSERT INTO T VALUES(abs 2.5)",
        "INSERT INTO T VALUES((1)2.5)",
        "INSERT INTO T VALUES('a'2.5)",
        "INSERT INTO T VALUES(T.5)",
    };
    for (const std::string& sql : cases) {
        LiteralStatement statement;
        EXPECT_FALSE(splitLiterals(QByteArrayView(sql.data(), qsizetype(sql.size())), statement))
            << sql << " gave " << statement.shape;
    }
}

} // namespace
