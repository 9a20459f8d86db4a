#include "settings/EncoderConfig.h"

#include "codecs/ACS_MAC.h"
#include "settings/AppOptions.h"

void ConfigureMacOut(TMACOut* out) {
    // CPU usage 1 pauses 11 ms between blocks, 2 pauses 6 ms, 3 not at all (below 5 ms).
    out->SetBlockDelay(16 - 5 * AppOptions.ApeCpu);
    out->SetCompressionLevel(AppOptions.ApeCompression);
}
