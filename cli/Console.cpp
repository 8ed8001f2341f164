#include "Console.h"

#include <QByteArray>
#include <cstdio>
#include <unistd.h>

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

void writeOut(const QString& text) {
    write(stdout, text);
}

void writeErr(const QString& text) {
    // Standard output is buffered: what was written to it belongs before the failure.
    std::fflush(stdout);
    write(stderr, text);
}

bool stdoutWrittenInFull() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

bool stdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}
