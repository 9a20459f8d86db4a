// The output formats by index (0 MP3, 1 WAV, 2 OGG, 3 WMA, 4 FLAC, 5 APE, 6 Opus, 7 AAC in
// .m4a, 8 ALAC in .m4a), their names and file extensions, as the settings store them and the
// rip job and the converter write them. The first six keep the numbers settings files have
// always had. Callable from any thread.
#pragma once

#include <QString>
#include <vector>

struct TAppOptions;

enum TOutputFormat {
    FormatMp3 = 0,
    FormatWav,
    FormatOgg,
    FormatWma,
    FormatFlac,
    FormatApe,
    FormatOpus,
    FormatAac,
    FormatAlac
};
constexpr int OutputFormatCount = 9;
// "MP3", "WAV", ...; empty for an index outside 0..8.
QString FormatName(int index);
// ".mp3", ".wav", ...; AAC and ALAC both ".m4a"; empty for an index outside 0..8.
QString FormatExtension(int index);
// Index of a name such as "mp3" or "FLAC" (case-blind; "m4a" names AAC), -1 when unknown.
int FormatIndexOf(const QString& name);
// The formats a rip writes, first to last, without repeats: OutputFormat first, then those of
// the OutputFormats setting (format indexes separated by commas) that differ from it. A file
// without OutputFormats gives OutputFormat alone, as before that setting existed.
std::vector<int> RipFormatsOf(const TAppOptions& options);
// "4,0" of a list of formats, as OutputFormats keeps it.
QString RipFormatsText(const std::vector<int>& formats);
// The names FormatIndexOf takes, for messages: "mp3, wav, ogg, wma, flac, ape, opus, aac (or
// m4a) or alac".
QString FormatNamesText();
