#include "OutputFormats.h"

#include <array>

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
