// The insert statements of the master and analytic passes, compared whole with the text sent to
// the database, lines and line ends included.
#include "components/ContarRegistro.h"
#include "db/Query.h"
#include "export/AnalyticPass.h"
#include "export/ConversionError.h"
#include "export/MasterPass.h"
#include "export/RegionalSettings.h"
#include "export/StatementTexts.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

const RegionalSettings kBrazil{QStringLiteral("dd/mm/yyyy"), u'/', u','};

const QString kMasterHead = QStringLiteral(
    "INSERT INTO OrvekMestre(Emissao, Serie, Equipamento, ModeloFiscal, COOInicial, COOFinal, "
    "Reducoes, Reinicio, VendaBruta, TotalizadorGeral, ModeloECF) Values(");
const QString kAnalyticHead = QStringLiteral(
    "INSERT INTO OrvekAnalitico(Emissao, Serie, Aliquota, TotalizadorParcial) Values(");

// The text the statement query sends for these lines.
QString sent(const QStringList& lines) {
    TQuery statement;
    statement.sql() = lines;
    return statement.statementText();
}

MasterRow workedMasterRow() {
    MasterRow row;
    row.dataMovimento = QDate(2024, 3, 15);
    row.serial = QStringLiteral("ABC123");
    row.nCaixa = QStringLiteral("1");
    row.cooInicial = 100;
    row.cooFinal = 250;
    row.modelo = QStringLiteral("MP-20");
    row.reducoes = QStringLiteral("42");
    row.reinicio = QStringLiteral("3");
    row.vendaBruta = QStringLiteral("1.234,56");
    row.totalizadorGeral = QStringLiteral("98.765,43");
    return row;
}

TEST(MasterStatement, WorkedExampleIsSentLineByLine) {
    TContarRegistro contarRegistro;
    StatementTexts texts(kBrazil);
    QStringList lines;
    masterStatement(workedMasterRow(), contarRegistro, texts, lines);
    EXPECT_EQ(sent(lines), kMasterHead + QStringLiteral("\r\n"
                                                        "'15/03/2024', 'ABC123'\r\n"
                                                        ", '001'\r\n"
                                                        ", '2D', 100, 250, 42, 3\r\n"
                                                        ", 01234.56\r\n"
                                                        ", 098765.43\r\n"
                                                        ", 'MP-20')\r\n"));
}

TEST(MasterStatement, OddButValidValues) {
    MasterRow row = workedMasterRow();
    row.dataMovimento = QDate(2024, 1, 5);
    row.serial = QStringLiteral("AB'C");
    row.nCaixa = QStringLiteral("1234");
    row.cooInicial = -2147483647 - 1;
    row.cooFinal = 2147483647;
    row.modelo = QStringLiteral("D'OR 'X'");
    row.reducoes = QString(); // no counter item: the subquery gives NULL
    row.reinicio = QStringLiteral("0007");
    row.vendaBruta = QString();
    row.totalizadorGeral = QStringLiteral("1.234.567,00");
    TContarRegistro contarRegistro;
    StatementTexts texts(RegionalSettings{QStringLiteral("m/d/yy"), u'-', u'.'});
    QStringList lines;
    masterStatement(row, contarRegistro, texts, lines);
    EXPECT_EQ(
        lines,
        (QStringList{kMasterHead, QStringLiteral("'1-5-24', 'AB''C'"), QStringLiteral(", '1234'"),
                     QStringLiteral(", '2D', -2147483648, 2147483647, 0, 7"), QStringLiteral(", 0"),
                     QStringLiteral(", 01234567.00"), QStringLiteral(", 'D''OR ''X''')")}));
}

TEST(MasterStatement, RefusedValuesEndTheRunWithTheirMessage) {
    struct Case {
        const char* field;
        QString text;
        QString message;
    };
    const Case cases[] = {
        {"N_CAIXA", QString(), QStringLiteral("'' is not a valid integer value")},
        {"N_CAIXA", QStringLiteral("1 "), QStringLiteral("'1 ' is not a valid integer value")},
        {"Reducoes", QStringLiteral("1.234"),
         QStringLiteral("'01.234' is not a valid floating point value")},
        {"VendaBruta", QStringLiteral("1,00); DELETE FROM BR_ITENS_RZ; --"),
         QStringLiteral(
             "'1,00); DELETE FROM BR_ITENS_RZ; --' is not a valid floating point value")},
    };
    for (const Case& c : cases) {
        MasterRow row = workedMasterRow();
        const QString field = QString::fromLatin1(c.field);
        if (field == u"N_CAIXA")
            row.nCaixa = c.text;
        else if (field == u"Reducoes")
            row.reducoes = c.text;
        else
            row.vendaBruta = c.text;
        TContarRegistro contarRegistro;
        StatementTexts texts(kBrazil);
        QStringList lines;
        try {
            masterStatement(row, contarRegistro, texts, lines);
            ADD_FAILURE() << c.field << " " << c.text.toStdString() << ": no error";
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.message(), c.message) << c.field << " " << c.text.toStdString();
        }
    }
}

AnalyticRow item(const QString& descricao, const QString& aliquota, const QString& valor) {
    return AnalyticRow{descricao, descricao, QDate(2024, 3, 15), QStringLiteral("ABC123"),
                       aliquota,  valor};
}

TEST(AnalyticStatement, ClassifiesByNameThenByRate) {
    struct Case {
        AnalyticRow row;
        QString line3;
        QString line4;
    };
    const Case cases[] = {
        // The worked example.
        {item(QStringLiteral("ICMS 18,00%"), QStringLiteral("18,00"), QStringLiteral("1.500,00")),
         QStringLiteral(", 18"), QStringLiteral(", 1500.00)")},
        {item(QStringLiteral("ISENTO ICMS"), QStringLiteral("I1"), QStringLiteral("30,00")),
         QStringLiteral(", 'T'"), QStringLiteral(", 30.00)")},
        {item(QStringLiteral("3. CANCELAMENTO ICMS"), QString(), QStringLiteral("12,50")),
         QStringLiteral(", 'CANC'"), QStringLiteral(", 12.50)")},
        {item(QStringLiteral("ICMS 7,50%"), QStringLiteral("7,5"), QStringLiteral("100,00")),
         QStringLiteral(", 7.5"), QStringLiteral(", 100.00)")},
        // The other names, each tested whole and case-sensitively.
        {item(QStringLiteral("NÃO TRIBUTADO ICMS"), QStringLiteral("N"), QStringLiteral("1,00")),
         QStringLiteral(", 'N'"), QStringLiteral(", 1.00)")},
        {item(QStringLiteral("SUBSTITUIÇÃO TRIBUTÁRIA ICMS"), QStringLiteral("F"),
              QStringLiteral("2,00")),
         QStringLiteral(", 'F'"), QStringLiteral(", 2.00)")},
        {item(QStringLiteral("INENTO ISSQN"), QStringLiteral("S"), QStringLiteral("3,00")),
         QStringLiteral(", 'ISS'"), QStringLiteral(", 3.00)")},
        {item(QStringLiteral("ISENTO ISSQN"), QStringLiteral("5,00"), QStringLiteral("4,00")),
         QStringLiteral(", 5"), QStringLiteral(", 4.00)")},
        {item(QStringLiteral("INENTO ISSQN "), QStringLiteral("2"), QStringLiteral("4,00")),
         QStringLiteral(", 2"), QStringLiteral(", 4.00)")},
        {item(QStringLiteral("isento icms"), QStringLiteral("0"), QStringLiteral("5,00")),
         QStringLiteral(", 0"), QStringLiteral(", 5.00)")},
        {item(QStringLiteral("4. DESCONTO ICMS"), QString(), QStringLiteral("-0,50")),
         QStringLiteral(", 'DESC'"), QStringLiteral(", -0.50)")},
    };
    StatementTexts texts(kBrazil);
    for (const Case& c : cases) {
        QStringList lines;
        ASSERT_TRUE(analyticStatement(c.row, texts, lines)) << c.row.descricao.toStdString();
        EXPECT_EQ(sent(lines), kAnalyticHead + QStringLiteral("\r\n'15/03/2024', 'ABC123'\r\n") +
                                   c.line3 + QStringLiteral("\r\n") + c.line4 +
                                   QStringLiteral("\r\n"))
            << c.row.descricao.toStdString();
    }
}

TEST(AnalyticStatement, RefusedAmountSkipsTheItemButABadRateEndsTheRun) {
    const QString refused[] = {QString(), QStringLiteral("1,00); DELETE FROM BR_ITENS_RZ; --"),
                               QStringLiteral("1,2,3")};
    StatementTexts texts(kBrazil);
    for (const QString& valor : refused) {
        QStringList lines;
        EXPECT_FALSE(analyticStatement(
            item(QStringLiteral("ICMS 18,00%"), QStringLiteral("18,00"), valor), texts, lines))
            << valor.toStdString();
    }

    // The rate is converted first, so a bad rate ends the run even beside a refused amount.
    struct Case {
        QString aliquota;
        QString valor;
    };
    const Case badRates[] = {{QString(), QStringLiteral("1,00")},
                             {QStringLiteral("18%"), QString()}};
    for (const Case& c : badRates) {
        QStringList lines;
        EXPECT_THROW(
            analyticStatement(item(QStringLiteral("ICMS"), c.aliquota, c.valor), texts, lines),
            ConversionError)
            << c.aliquota.toStdString();
    }
}

TEST(AnalyticStatement, ConsecutiveRowsNeverTakeAnotherRowsTexts) {
    // Texts are reused while rows repeat them; each row must still get its own.
    struct Case {
        QDate day;
        QString serial;
        QString aliquota;
        QString line2;
        QString line3;
    };
    const Case cases[] = {
        {QDate(2024, 3, 15), QStringLiteral("A"), QStringLiteral("18,00"),
         QStringLiteral("'15/03/2024', 'A'"), QStringLiteral(", 18")},
        {QDate(2024, 3, 15), QStringLiteral("B"), QStringLiteral("18,00"),
         QStringLiteral("'15/03/2024', 'B'"), QStringLiteral(", 18")},
        {QDate(2024, 3, 16), QStringLiteral("B"), QStringLiteral("7,5"),
         QStringLiteral("'16/03/2024', 'B'"), QStringLiteral(", 7.5")},
        {QDate(2024, 3, 16), QStringLiteral("B"), QStringLiteral("18"),
         QStringLiteral("'16/03/2024', 'B'"), QStringLiteral(", 18")},
        {QDate(), QStringLiteral("B"), QStringLiteral("0018,0"),
         QStringLiteral("'30/12/1899', 'B'"), QStringLiteral(", 18")},
        {QDate(2024, 3, 15), QStringLiteral("A"), QStringLiteral("18,00"),
         QStringLiteral("'15/03/2024', 'A'"), QStringLiteral(", 18")},
    };
    StatementTexts texts(kBrazil);
    QStringList lines;
    for (const Case& c : cases) {
        const AnalyticRow row{
            QStringLiteral("ICMS"), QStringLiteral("ICMS"), c.day, c.serial, c.aliquota,
            QStringLiteral("1,00")};
        ASSERT_TRUE(analyticStatement(row, texts, lines));
        EXPECT_EQ(lines, (QStringList{kAnalyticHead, c.line2, c.line3, QStringLiteral(", 1.00)")}))
            << c.day.toString(Qt::ISODate).toStdString() << " " << c.serial.toStdString() << " "
            << c.aliquota.toStdString();
    }
}

} // namespace
