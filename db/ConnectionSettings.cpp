#include "db/ConnectionSettings.h"

#include "db/Database.h"

#include <QByteArray>
#include <QFile>
#include <QStringConverter>
#include <QStringList>
#include <cstring>
#include <ini.h>

namespace {

constexpr QLatin1String kSection("BDados");
constexpr QLatin1String kTipoKey("Tipo");
constexpr QLatin1String kCaminhoKey("Caminho");

// Windows hands back at most this many characters of a value (a 2048-character buffer with
// its terminating zero).
constexpr qsizetype kMaxValueLength = 2047;

// inih reads each line into a fixed buffer (200 bytes in Debian's build) and parses the rest of
// a longer line as a line of its own, which cuts the value and can even invent a key from its
// tail. So inih is handed every KEY=VALUE line with this mark and the value's index in place of
// the value, and the values themselves are kept here, whatever their length.
constexpr char kValueMark = '\x1e';

struct IniFile {
    QStringList lines;
    qsizetype nextLine = 0;
    QStringList values;

    ConnectionSettings settings;
    bool tipoRead = false;
    bool caminhoRead = false;
};

// The settings file was written on Windows in its ANSI code page, but may as well be UTF-8 now.
QString decodeFile(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1252");
    return ansi.isValid() ? QString(ansi(bytes)) : QString::fromLatin1(bytes);
}

// Windows drops the blanks around a value and one pair of quotes enclosing it.
QString windowsValue(const QString& raw) {
    QString value = raw.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValueLength);
}

// What inih sees of one line. Leading blanks go first: Windows ignores them, while inih would
// take an indented line for the continuation of the previous value.
QByteArray lineForInih(IniFile& file, const QString& line) {
    const QString text = line.trimmed();
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        return (close < 0 ? text : text.left(close + 1)).toUtf8();
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return text.toUtf8();
    file.values.append(text.mid(equals + 1));
    return text.left(equals).trimmed().toUtf8() + '=' + kValueMark +
           QByteArray::number(file.values.size() - 1);
}

// An fgets-style reader over the file's lines.
char* readLine(char* buffer, int size, void* stream) {
    auto& file = *static_cast<IniFile*>(stream);
    if (file.nextLine >= file.lines.size() || size < 2)
        return nullptr;
    QByteArray line = lineForInih(file, file.lines.at(file.nextLine++));
    // A line that still does not fit has a key or section name far longer than any this
    // program reads; an empty line keeps inih from splitting it.
    if (line.size() > size - 2)
        line.clear();
    std::memcpy(buffer, line.constData(), static_cast<size_t>(line.size()));
    buffer[line.size()] = '\n';
    buffer[line.size() + 1] = '\0';
    return buffer;
}

// Returns the kept value that inih's value text stands for, or nullptr when the text is not a
// mark this reader wrote (a key that inih split at a colon, say).
const QString* keptValue(const IniFile& file, const char* value) {
    if (value[0] != kValueMark)
        return nullptr;
    bool isNumber = false;
    const qsizetype index = QByteArray(value + 1).toLongLong(&isNumber);
    if (!isNumber || index < 0 || index >= file.values.size())
        return nullptr;
    return &file.values.at(index);
}

// Windows returns the first occurrence of a key.
int takeValue(void* user, const char* section, const char* name, const char* value) {
    auto& file = *static_cast<IniFile*>(user);
    if (QString::fromUtf8(section).trimmed().compare(kSection, Qt::CaseInsensitive) != 0)
        return 1;
    const QString* kept = keptValue(file, value);
    if (!kept)
        return 1;
    const QString key = QString::fromUtf8(name);
    if (!file.tipoRead && key.compare(kTipoKey, Qt::CaseInsensitive) == 0) {
        file.settings.tipo = windowsValue(*kept);
        file.tipoRead = true;
    } else if (!file.caminhoRead && key.compare(kCaminhoKey, Qt::CaseInsensitive) == 0) {
        file.settings.caminho = windowsValue(*kept);
        file.caminhoRead = true;
    }
    return 1;
}

} // namespace

ConnectionSettings readConnectionSettings(const QString& iniPath) {
    QFile source(iniPath);
    if (!source.open(QIODevice::ReadOnly))
        return {};
    IniFile file;
    QString text = decodeFile(source.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    file.lines = text.split(u'\n');
    // Lines inih cannot parse are skipped as Windows skips them, so its error count is of no use.
    ini_parse_stream(&readLine, &file, &takeValue, &file);
    return file.settings;
}

void applyConnectionProfile(TDatabase& database, const ConnectionSettings& settings) {
    database.close();
    database.params().clear();
    QStringList& params = database.params();
    if (settings.tipo == QLatin1String("Standard")) {
        database.setDriverName(QStringLiteral("STANDARD"));
        params << QStringLiteral("PATH=") + settings.caminho
               << QStringLiteral("DEFAULT DRIVER=PARADOX") << QStringLiteral("ENABLE BCD=FALSE");
    } else if (settings.tipo == QLatin1String("Interbase")) {
        database.setAliasName(QStringLiteral("Krevan"));
        params << QStringLiteral("SERVER NAME=") + settings.caminho
               << QStringLiteral("USER NAME=SYSDBA") << QStringLiteral("password=plumtrove");
    } else if (settings.tipo == QLatin1String("MSSQL")) {
        database.setAliasName(settings.caminho);
        params << QStringLiteral("USER NAME=sa");
    } else {
        database.setDriverName(QStringLiteral("STANDARD"));
    }
}
