#include "convert/ConvertKinds.h"

#include <array>

namespace {

struct TKindRow {
    int Kind;
    const char* Name;
    TConvertInput Input;
    int Format;
};

constexpr std::array<TKindRow, 9> Kinds = {{
    {ckWavToMp3, "wav2mp3", TConvertInput::Wave, 0},
    {ckWavToOgg, "wav2ogg", TConvertInput::Wave, 2},
    {ckWavToWma, "wav2wma", TConvertInput::Wave, 3},
    {ckWavToFlac, "wav2flac", TConvertInput::Wave, 4},
    {ckWavToApe, "wav2ape", TConvertInput::Wave, 5},
    {ckMp3ToWav, "mp32wav", TConvertInput::MP3, 1},
    {ckWmaToWav, "wma2wav", TConvertInput::WM, 1},
    {ckMp3ToWma, "mp32wma", TConvertInput::MP3, 3},
    {ckWmaToMp3, "wma2mp3", TConvertInput::WM, 0},
}};

} // namespace

bool RouteOfKind(int kind, TConvertRoute& route) {
    for (const TKindRow& row : Kinds)
        if (row.Kind == kind) {
            route.Input = row.Input;
            route.Format = row.Format;
            return true;
        }
    return false;
}

int KindOfName(const QString& name) {
    for (const TKindRow& row : Kinds)
        if (name.compare(QLatin1String(row.Name), Qt::CaseInsensitive) == 0)
            return row.Kind;
    return 0;
}
