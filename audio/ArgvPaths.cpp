#include "ArgvPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringView>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFdPrefix = QStringLiteral("/proc/self/fd/");

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes); // the conversion runs here, not lazily later
    (void)decoded;
    return !decoder.hasError();
}

// Makes the folder `path` and the folders above it that are missing (mkdir -p), from bytes.
void makeFolders(const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/', 1); slash != -1; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0777);
    ::mkdir(path.constData(), 0777);
}

} // namespace

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (!isValidUtf8(bytes)) {
            // An output folder yet to be made is made here, under its own bytes: no QString
            // could name it later.
            if (i > 1 && std::strcmp(argv[i - 1], "--out") == 0)
                makeFolders(bytes);
            // O_PATH opens files and folders alike without reading anything; reopening
            // /proc/self/fd/<n> later gives a descriptor of the mode the reader asks for.
            const int fd = ::open(argv[i], O_PATH | O_CLOEXEC);
            if (fd >= 0) {
                words << kFdPrefix + QString::number(fd);
                continue;
            }
        }
        words << QString::fromUtf8(bytes);
    }
    return words;
}

QString DisplayPath(const QString& path) {
    if (!path.startsWith(kFdPrefix))
        return path;
    qsizetype end = kFdPrefix.size();
    while (end < path.size() && path[end].isDigit())
        ++end;
    if (end == kFdPrefix.size() || (end < path.size() && path[end] != QLatin1Char('/')))
        return path;
    char target[PATH_MAX];
    const QByteArray link = QFile::encodeName(path.left(end));
    const ssize_t n = ::readlink(link.constData(), target, sizeof target);
    if (n <= 0)
        return path;
    return QString::fromUtf8(target, n) + path.mid(end);
}

QString WithDisplayPaths(const QString& text) {
    static const QRegularExpression fdPath(QStringLiteral("/proc/self/fd/\\d+"));
    QString shown;
    qsizetype from = 0;
    for (auto it = fdPath.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        shown += QStringView(text).mid(from, match.capturedStart() - from);
        shown += DisplayPath(match.captured());
        from = match.capturedEnd();
    }
    shown += QStringView(text).mid(from);
    return shown;
}
