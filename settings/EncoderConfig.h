// Copies the user's encoder settings (AppOptions) onto an encoder output before it runs.
// Called on the GUI thread, after the output's file name is set and before it is started.
#pragma once

#include "settings/AppOptions.h"

class TWMAOut;

// VBR = WmaVBR; the codec index = CodecIndex and the format index = FormatIndex (indexes into
// the output's codec list and the chosen codec's format list). Nothing else is set.
void ConfigureWmaOut(TWMAOut& out, const TAppOptions& options = AppOptions);
