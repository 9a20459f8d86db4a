// Everything cd.dat keeps for one disc: its fields, its number of tracks and the track titles
// and track artists by row position. A plain value: read from cd.dat, handed to the disc
// session, saved back.
#pragma once

#include "audio/DiscFields.h"

#include <QString>
#include <array>

struct TDiscTexts {
    TDiscFields Fields;
    int TrackNumber = 0;
    std::array<QString, 101> Titles; // Titles[1] .. Titles[100]; Titles[0] is unused
    // The performer of each track where it has one of its own (a compilation); empty where the
    // disc artist performs it. Indexed as Titles.
    std::array<QString, 101> Artists;
};
