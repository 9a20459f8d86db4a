#include "OutputFormats.h"

#include "settings/TAppOptions.h"

#include <QStringList>
#include <algorithm>
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
    {"Opus", ".opus"},
    {"AAC", ".m4a"},
    {"ALAC", ".m4a"},
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
    // The container's name, as users call AAC files.
    if (name.compare(QLatin1String("m4a"), Qt::CaseInsensitive) == 0)
        return FormatAac;
    return -1;
}

std::vector<int> RipFormatsOf(const TAppOptions& options) {
    std::vector<int> formats{options.OutputFormat};
    for (const QString& word : options.OutputFormats.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int f = word.trimmed().toInt(&ok);
        if (ok && f >= 0 && f < OutputFormatCount &&
            std::find(formats.begin(), formats.end(), f) == formats.end())
            formats.push_back(f);
    }
    return formats;
}

QString RipFormatsText(const std::vector<int>& formats) {
    QStringList words;
    for (int f : formats)
        words << QString::number(f);
    return words.join(QLatin1Char(','));
}

QString FormatNamesText() {
    return QStringLiteral("mp3, wav, ogg, wma, flac, ape, opus, aac (or m4a) or alac");
}
