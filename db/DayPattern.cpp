#include "db/DayPattern.h"

#include <vector>

DayPattern DayPattern::fromShortDatePattern(const QString& pattern, QChar dateSeparator) {
    DayPattern result;
    result.m_text = pattern;
    result.m_text.replace(QLatin1Char('/'), dateSeparator);

    std::array<char, 3> order{};
    int found = 0;
    for (QChar c : pattern) {
        const char part = c.toUpper().toLatin1();
        if (part != 'D' && part != 'M' && part != 'Y') {
            continue;
        }
        bool seen = false;
        for (int i = 0; i < found; ++i) {
            seen = seen || order[i] == part;
        }
        if (!seen) {
            if (found == 3) {
                return result;
            }
            order[found++] = part;
        } else if (order[found - 1] != part) {
            // "dd/mm/dd" names a part twice in different places: no single reading exists.
            return result;
        }
    }
    if (found == 3) {
        result.m_order = order;
    }
    return result;
}

QString DayPattern::order() const {
    if (!valid()) {
        return {};
    }
    return QString::fromLatin1(m_order.data(), 3);
}

QDate DayPattern::read(QStringView text) const {
    if (!valid()) {
        return {};
    }
    struct Group {
        int value = 0;
        int digits = 0;
    };
    std::vector<Group> groups;
    bool inGroup = false;
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (!inGroup) {
                if (groups.size() == 3) {
                    return {};
                }
                groups.push_back({});
                inGroup = true;
            }
            Group& g = groups.back();
            if (++g.digits > 4) {
                return {};
            }
            g.value = g.value * 10 + (c.unicode() - '0');
        } else {
            if (c.isLetterOrNumber()) {
                return {};
            }
            inGroup = false;
        }
    }
    if (groups.size() != 3) {
        return {};
    }

    std::array<char, 3> order = m_order;
    if (groups[0].digits == 4) {
        order = {'Y', 'M', 'D'};
    }
    int day = 0;
    int month = 0;
    int year = 0;
    for (int i = 0; i < 3; ++i) {
        const Group& g = groups[i];
        switch (order[i]) {
        case 'D':
            if (g.digits > 2) {
                return {};
            }
            day = g.value;
            break;
        case 'M':
            if (g.digits > 2) {
                return {};
            }
            month = g.value;
            break;
        default:
            if (g.digits == 2) {
                year = g.value < 70 ? 2000 + g.value : 1900 + g.value;
            } else if (g.digits == 4) {
                year = g.value;
            } else {
                return {};
            }
        }
    }
    return QDate(year, month, day);
}
