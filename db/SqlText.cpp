#include "db/SqlText.h"

namespace {

bool startsName(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool continuesName(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

QString joinSqlLines(const QStringList& lines) {
    static const QString crlf = QStringLiteral("\r\n");
    qsizetype size = 0;
    for (const QString& line : lines) {
        size += line.size() + 2;
    }
    QString text;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += crlf;
    }
    return text;
}

PositionalSql toPositional(const QString& sql) {
    PositionalSql result;
    if (!sql.contains(QLatin1Char(':'))) {
        result.text = sql;
        return result;
    }
    result.text.reserve(sql.size());
    QChar quote;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            // A doubled quote inside quoted text closes and reopens it, which this handles too.
            if (c == quote) {
                quote = QChar();
            }
            result.text += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            result.text += c;
        } else if (c == QLatin1Char(':') && i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
            result.text += QLatin1String("::");
            ++i;
        } else if (c == QLatin1Char(':') && i + 1 < n && startsName(sql[i + 1])) {
            qsizetype end = i + 1;
            while (end < n && continuesName(sql[end])) {
                ++end;
            }
            result.paramNames.append(sql.mid(i + 1, end - i - 1));
            result.text += QLatin1Char('?');
            i = end - 1;
        } else {
            result.text += c;
        }
    }
    return result;
}
