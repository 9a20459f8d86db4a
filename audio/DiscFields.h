// The disc texts as the main window's boxes hold them: what the tags of a rip take and what
// cd.dat keeps per disc. A plain value, copied into jobs.
#pragma once

#include <QString>

struct TDiscFields {
    QString Artist;
    QString Album;
    QString Year;
    int Genre = -1; // index in the genre box: 0 the blank entry, 1..148 a name, -1 none selected
    QString Comment;
    // The album's artist when it is not the disc artist above; empty means Artist.
    QString AlbumArtist;
    // Which disc of a set this is, and of how many; 0 for unknown.
    int DiscNumber = 0;
    int DiscTotal = 0;

    // AlbumArtist, or Artist when that is empty.
    const QString& EffectiveAlbumArtist() const {
        return AlbumArtist.isEmpty() ? Artist : AlbumArtist;
    }
};
