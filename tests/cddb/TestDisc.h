// Writes small CUE/BIN audio disc images for the lookup tests: silent sectors (a sparse BIN)
// with tracks where the test wants them.
#pragma once

#include <QString>
#include <vector>

// Writes DIR/NAME.cue and DIR/NAME.bin: tracks numbered from `firstTrack`, starting at the
// given sectors (the first at 0), the disc `totalSectors` long. Returns the CUE path.
QString MakeCueImage(const QString& dir, const QString& name, int firstTrack,
                     const std::vector<int>& startSectors, int totalSectors);
