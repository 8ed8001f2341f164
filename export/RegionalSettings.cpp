#include "export/RegionalSettings.h"

#include <QLocale>
#include <vector>

namespace {

// One piece of a Qt date format: a run of one field letter (d, M, y) or literal text.
struct QtToken {
    char field = 0;
    qsizetype count = 0;
    QString literal;
};

std::vector<QtToken> tokenize(const QString& format) {
    std::vector<QtToken> tokens;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = format[i];
        if (c == u'd' || c == u'M' || c == u'y') {
            qsizetype run = 1;
            while (i + run < n && format[i + run] == c)
                ++run;
            tokens.push_back({static_cast<char>(c.unicode()), run, {}});
            i += run;
        } else if (c == u'\'') {
            // Qt quotes literal text with single quotes; two of them stand for one.
            QString literal;
            if (i + 1 < n && format[i + 1] == u'\'') {
                literal = QStringLiteral("'");
                i += 2;
            } else {
                for (++i; i < n; ++i) {
                    if (format[i] != u'\'') {
                        literal += format[i];
                    } else if (i + 1 < n && format[i + 1] == u'\'') {
                        literal += u'\'';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
            }
            tokens.push_back({0, 0, literal});
        } else {
            tokens.push_back({0, 0, QString(c)});
            ++i;
        }
    }
    return tokens;
}

// Fields that the pattern language writes as numbers; weekday names have no equivalent.
bool isDateField(const QtToken& token) {
    return token.field == 'M' || token.field == 'y' || (token.field == 'd' && token.count <= 2);
}

QChar separatorOf(const std::vector<QtToken>& tokens) {
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype k = 0; k < qsizetype(tokens.size()); ++k) {
        if (isDateField(tokens[k])) {
            if (first < 0)
                first = k;
            last = k;
        }
    }
    for (qsizetype k = first + 1; first >= 0 && k < last; ++k) {
        // Right-to-left locales put invisible direction marks next to the real separator.
        for (const QChar c : tokens[k].literal)
            if (!c.isLetter() && c.category() != QChar::Other_Format)
                return c;
    }
    return u'/';
}

bool isPatternField(QChar c) {
    switch (c.unicode()) {
    case u'd':
    case u'D':
    case u'm':
    case u'M':
    case u'y':
    case u'Y':
        return true;
    default:
        return false;
    }
}

} // namespace

ShortDatePattern shortDatePatternFromQt(const QString& qtFormat) {
    const std::vector<QtToken> tokens = tokenize(qtFormat);
    ShortDatePattern result{QString(), separatorOf(tokens)};
    for (const QtToken& token : tokens) {
        switch (token.field) {
        case 'd':
            if (token.count <= 2)
                result.pattern += QString(token.count, u'd');
            break;
        case 'M':
            result.pattern += token.count == 1 ? QStringLiteral("m") : QStringLiteral("mm");
            break;
        case 'y':
            result.pattern += token.count <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
            break;
        default:
            for (const QChar c : token.literal) {
                if (c == result.separator)
                    result.pattern += u'/';
                else if (c != u'/' && !isPatternField(c))
                    result.pattern += c;
            }
        }
    }
    return result;
}

RegionalSettings regionalSettingsOf(const QLocale& locale) {
    const ShortDatePattern date = shortDatePatternFromQt(locale.dateFormat(QLocale::ShortFormat));
    const QString point = locale.decimalPoint();
    return {date.pattern, date.separator, point.isEmpty() ? QChar(u'.') : point.front()};
}

RegionalSettings regionalSettingsFromHost() {
    return regionalSettingsOf(QLocale::system());
}
