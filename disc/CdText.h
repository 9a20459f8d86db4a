// The CD-Text of a disc: title, performer and songwriter of the disc and of each track, as a
// drive reads them from the disc's lead-in or a CUE sheet's TITLE/PERFORMER/SONGWRITER lines
// give them. A plain value.
#pragma once

#include <QString>
#include <array>

struct TCdText {
    struct TEntry {
        QString Title;
        QString Performer;
        QString Songwriter;
        bool IsEmpty() const {
            return Title.isEmpty() && Performer.isEmpty() && Songwriter.isEmpty();
        }
    };
    TEntry Disc;
    std::array<TEntry, 100> Tracks; // by track number 1..99; [0] is unused

    bool IsEmpty() const {
        if (!Disc.IsEmpty())
            return false;
        for (const TEntry& t : Tracks)
            if (!t.IsEmpty())
                return false;
        return true;
    }
};
