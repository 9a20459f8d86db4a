#include "Helpers.h"

#include <QFileInfo>
#include <array>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

struct FormatRow {
    const char* Name;
    const char* Extension;
};
constexpr std::array<FormatRow, OutputFormatCount> Formats = {{
    {"MP3", ".mp3"},
    {"WAV", ".wav"},
    {"OGG", ".ogg"},
    {"WMA", ".wma"},
    {"FLAC", ".flac"},
    {"APE", ".ape"},
}};

} // namespace

QString TwoDigit(int n) {
    return n <= 9 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

QString WithTrailingBackslash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

bool IsFileInUse(const QString& path) {
    if (!QFileInfo::exists(path))
        return false;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return true;
    // Linux has no share modes; a lock held by another process is the nearest sign of use.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

void Pause(int milliseconds) {
    // A steady clock: a change of the wall clock (or of the day) cannot stretch the wait.
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

QString FormatName(int index) {
    if (index < 0 || index >= OutputFormatCount)
        return QString();
    return QLatin1String(Formats[size_t(index)].Name);
}

QString FormatExtension(int index) {
    if (index < 0 || index >= OutputFormatCount)
        return QString();
    return QLatin1String(Formats[size_t(index)].Extension);
}

int FormatIndexOf(const QString& name) {
    for (int i = 0; i < OutputFormatCount; ++i)
        if (name.compare(QLatin1String(Formats[size_t(i)].Name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
