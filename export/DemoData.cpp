#include "export/DemoData.h"

#include "db/Database.h"
#include "db/Query.h"

#include <QStringBuilder>
#include <array>

namespace {

// splitmix64: tiny, fast and the same on every platform and standard library, unlike the
// distributions of <random>.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}

    quint64 next() {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number in low..high, both included.
    qint64 between(qint64 low, qint64 high) {
        return low + qint64(next() % quint64(high - low + 1));
    }

private:
    quint64 m_state;
};

struct Rate {
    const char16_t* descricao;
    const char16_t* aliquota;
};

// The ICMS rates a Brazilian printer is typically programmed with.
constexpr std::array<Rate, 5> kRates = {{
    {u"ICMS 7,00%", u"7,00"},
    {u"ICMS 12,00%", u"12,00"},
    {u"ICMS 17,00%", u"17,00"},
    {u"ICMS 18,00%", u"18,00"},
    {u"ICMS 25,00%", u"25,00"},
}};

constexpr std::array<const char16_t*, 4> kModels = {u"MP-4000 TH FI", u"MP-2100 TH FI",
                                                    u"TM-T81 FBIII", u"ECF-IF VX"};

// What a printer carries from one day to the next.
struct Printer {
    QString serial;
    QString nCaixa;
    QString modelo;
    qint32 coo = 0;
    qint32 crz = 0;
    qint32 cro = 0;
    qint64 grandTotal = 0;
};

QString padded(qint64 value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

DemoItem& itemAt(DemoReduction& reduction, std::size_t index) {
    if (reduction.items.size() <= index)
        reduction.items.resize(index + 1);
    return reduction.items[index];
}

void setItem(DemoReduction& reduction, std::size_t index, const QString& descricao,
             const QString& aliquota, const QString& valor) {
    DemoItem& item = itemAt(reduction, index);
    item.descricao = descricao;
    item.aliquota = aliquota;
    item.valor = valor;
}

// The day of one printer: sixteen items, as a Z reduction prints them.
void fillReduction(Printer& printer, Random& random, QDate day, DemoReduction& reduction) {
    const qint32 coupons = qint32(random.between(80, 520));
    reduction.dataMovimento = day;
    reduction.serial = printer.serial;
    reduction.nCaixa = printer.nCaixa;
    reduction.modelo = printer.modelo;
    reduction.cooInicial = printer.coo;
    reduction.cooFinal = printer.coo + coupons - 1;
    printer.coo = reduction.cooFinal + 1 + qint32(random.between(0, 3)); // reports in between
    ++printer.crz;
    if (random.between(0, 199) == 0)
        ++printer.cro;

    qint64 net = 0;
    std::size_t index = 4;
    for (const Rate& rate : kRates) {
        // Some rates sell nothing on a given day; the printer still prints them.
        const qint64 cents = random.between(0, 3) == 0 ? 0 : random.between(500, 650000);
        net += cents;
        setItem(reduction, index++, QString::fromUtf16(rate.descricao),
                QString::fromUtf16(rate.aliquota), brazilianAmount(cents));
    }
    const qint64 isento = random.between(0, 90000);
    const qint64 naoTributado = random.between(0, 40000);
    const qint64 substituicao = random.between(0, 250000);
    net += isento + naoTributado + substituicao;
    setItem(reduction, index++, QStringLiteral("ISENTO ICMS"), QStringLiteral("I"),
            brazilianAmount(isento));
    setItem(reduction, index++, QStringLiteral("NÃO TRIBUTADO ICMS"), QStringLiteral("N"),
            brazilianAmount(naoTributado));
    setItem(reduction, index++, QStringLiteral("SUBSTITUIÇÃO TRIBUTÁRIA ICMS"), QStringLiteral("F"),
            brazilianAmount(substituicao));
    const qint64 cancelled = random.between(0, 3) == 0 ? random.between(100, 30000) : 0;
    const qint64 discount = random.between(0, 1) == 0 ? random.between(10, 8000) : 0;
    setItem(reduction, index++, QStringLiteral("3. CANCELAMENTO ICMS"), QString(),
            brazilianAmount(cancelled));
    setItem(reduction, index++, QStringLiteral("4. DESCONTO ICMS"), QString(),
            brazilianAmount(discount));
    // Untaxed totals the analytic summary leaves out.
    setItem(reduction, index++, QStringLiteral("5. ACRÉSCIMO ICMS"), QString(),
            brazilianAmount(random.between(0, 1500)));
    setItem(reduction, index++, QStringLiteral("OPERAÇÕES NÃO FISCAIS"), QString(),
            brazilianAmount(random.between(0, 20000)));

    const qint64 gross = net + cancelled + discount;
    printer.grandTotal += gross;
    setItem(reduction, 0, QStringLiteral("3. Contador de Reduções Z"), QString(),
            padded(printer.crz, 4));
    setItem(reduction, 1, QStringLiteral("2. Contador de Reinício de Operação"), QString(),
            padded(printer.cro, 3));
    setItem(reduction, 2, QStringLiteral("2. VENDA BRUTA DIÁRIA"), QString(),
            brazilianAmount(gross));
    setItem(reduction, 3, QStringLiteral("1. TOTALIZADOR GERAL"), QString(),
            brazilianAmount(printer.grandTotal));
    reduction.items.resize(index);
}

// 'text' with single quotes doubled; the generated texts hold none, but a seed must not be able
// to break a statement.
QString quoted(const QString& text) {
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') % result % QLatin1Char('\'');
}

QString dayLiteral(QDate day) {
    return QLatin1Char('\'') % day.toString(Qt::ISODate) % QLatin1Char('\'');
}

} // namespace

QString brazilianAmount(qint64 cents) {
    const bool negative = cents < 0;
    const quint64 magnitude = negative ? quint64(-(cents + 1)) + 1 : quint64(cents);
    QString whole = QString::number(magnitude / 100);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) % whole % QLatin1Char(',') %
           padded(qint64(magnitude % 100), 2);
}

DemoDataCounts generateDemoData(const DemoDataShape& shape,
                                const std::function<void(const DemoReduction&)>& visit) {
    Random random(shape.seed);
    std::vector<Printer> printers(std::size_t(qMax(shape.printers, 0)));
    for (std::size_t i = 0; i < printers.size(); ++i) {
        Printer& printer = printers[i];
        printer.serial = QStringLiteral("BE0908SC56") + padded(qint64(100000 + i * 37), 10);
        printer.nCaixa = QString::number(i % 4 + 1);
        printer.modelo = QString::fromUtf16(kModels[std::size_t(random.between(0, 3))]);
        printer.coo = qint32(random.between(1, 400000));
        printer.crz = qint32(random.between(0, 1500));
        printer.cro = qint32(random.between(1, 3));
        printer.grandTotal = random.between(0, 900000000);
    }

    DemoDataCounts counts;
    DemoReduction reduction;
    for (int d = 0; d < shape.days; ++d) {
        const QDate day = shape.firstDay.addDays(d);
        if (day.dayOfWeek() == Qt::Sunday)
            continue;
        for (Printer& printer : printers) {
            fillReduction(printer, random, day, reduction);
            ++counts.reductions;
            counts.items += qint64(reduction.items.size());
            for (const DemoItem& item : reduction.items) {
                if (!item.aliquota.isEmpty() || item.descricao == u"3. CANCELAMENTO ICMS" ||
                    item.descricao == u"4. DESCONTO ICMS")
                    ++counts.analyticItems;
            }
            visit(reduction);
        }
    }
    return counts;
}

DemoDataCounts writeDemoData(TDatabase& database, const DemoDataShape& shape) {
    TQuery statement;
    statement.setDatabaseName(database.databaseName());
    QStringList& sql = statement.sql();
    const auto execute = [&](QString text) {
        sql.clear();
        sql.append(std::move(text));
        statement.execSQL();
    };

    // A day is committed whole; the day being written when an error strikes is taken back.
    struct DayTransaction {
        TDatabase& database;
        QDate day;
        void commit() {
            if (day.isValid())
                database.commit();
            day = QDate();
        }
        ~DayTransaction() {
            if (!day.isValid())
                return;
            try {
                database.rollback();
            } catch (...) {
            }
        }
    } transaction{database, QDate()};
    const DemoDataCounts counts = generateDemoData(shape, [&](const DemoReduction& reduction) {
        if (reduction.dataMovimento != transaction.day) {
            transaction.commit();
            database.startTransaction();
            transaction.day = reduction.dataMovimento;
        }
        const QString day = dayLiteral(reduction.dataMovimento);
        const QString serial = quoted(reduction.serial);
        execute(QStringLiteral("INSERT INTO BR_REDUCAOZ(DATA_MOVIMENTO, SERIAL, N_CAIXA, "
                               "COO_INICIAL, COO_FINAL, MODELO) VALUES(") %
                day % QStringLiteral(", ") % serial % QStringLiteral(", ") %
                quoted(reduction.nCaixa) % QStringLiteral(", ") %
                QString::number(reduction.cooInicial) % QStringLiteral(", ") %
                QString::number(reduction.cooFinal) % QStringLiteral(", ") %
                quoted(reduction.modelo) % QLatin1Char(')'));
        for (const DemoItem& item : reduction.items) {
            execute(QStringLiteral("INSERT INTO BR_ITENS_RZ(Data_Movimento, Serial, Descricao, "
                                   "Aliquota, Valor) VALUES(") %
                    day % QStringLiteral(", ") % serial % QStringLiteral(", ") %
                    quoted(item.descricao) % QStringLiteral(", ") % quoted(item.aliquota) %
                    QStringLiteral(", ") % quoted(item.valor) % QLatin1Char(')'));
        }
    });
    transaction.commit();
    return counts;
}
