// Copies the user's encoder settings (AppOptions) onto an encoder output before it runs.
// Called on the GUI thread, after the output's file name is set and before it is started.
#pragma once

class TMACOut;

// BlockDelay = 16 - 5 * ApeCpu milliseconds; CompressionLevel = ApeCompression (the output
// turns a level it does not know into 2000).
void ConfigureMacOut(TMACOut* out);
