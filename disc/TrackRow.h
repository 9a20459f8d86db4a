// One row of the track list: what the main window shows for a track and whether it is ticked.
#pragma once

#include <QString>

struct TTrackRow {
    int Number = 0;      // track number from the table of contents ("No.")
    QString Title;       // "Title"
    QString Artist;      // "Artist": the track's own performer; empty when the disc artist's
    QString StartTime;   // "Start Time", mm:ss with the 2-second lead-in
    QString Length;      // "Length(min)", mm:ss
    bool IsAudio = true; // false for a data track: listed, but not ticked
    bool Checked = true;
};
