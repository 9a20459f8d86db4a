#include "OpusEncLibrary.h"

TOpusEncApi OpusEnc;

TCodecLibrary& OpusEncLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libopusenc.so.0")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(OpusEnc.fn, #fn) && ok;
            SONDREL_OPUSENC_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            return ok;
        },
        [] { OpusEnc = TOpusEncApi(); });
    return library;
}
