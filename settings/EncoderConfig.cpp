#include "settings/EncoderConfig.h"

#include "codecs/ACS_WinMedia.h"

void ConfigureWmaOut(TWMAOut& out, const TAppOptions& options) {
    out.SetVBR(options.WmaVBR);
    out.SetCodecIndex(options.CodecIndex);
    out.SetFormatIndex(options.FormatIndex);
}
