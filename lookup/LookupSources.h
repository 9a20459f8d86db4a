// Which databases a lookup asks, in which order, and where: the CDDB server (its own settings),
// the MusicBrainz server, and whether and where the front cover is fetched. Copied into the
// lookup job when it is made; plain value type, any thread.
#pragma once

#include "settings/TAppOptions.h"

#include <QString>

struct TLookupSources {
    enum Order {
        Cddb,                // the CDDB server only
        MusicBrainz,         // MusicBrainz only
        MusicBrainzThenCddb, // MusicBrainz, and CDDB when MusicBrainz knows no release
    };

    static inline const QString DefaultMusicBrainzServer =
        QStringLiteral("https://musicbrainz.org");
    static inline const QString DefaultCoverArtServer =
        QStringLiteral("https://coverartarchive.org");

    Order Source = Cddb;
    QString MusicBrainzServer = DefaultMusicBrainzServer; // a URL
    bool CoverArt = false;
    QString CoverArtServer = DefaultCoverArtServer; // a URL
    int TimeoutSeconds = 0;                         // one request's time limit; 0 = 30 seconds

    // The lookup sources block of `options`; a source text that is none of the three is Cddb.
    static TLookupSources From(const TAppOptions& options);

    // "cddb", "musicbrainz" or "musicbrainz,cddb" (blanks and case ignored); false for
    // anything else.
    static bool ParseOrder(const QString& text, Order* order);
    // The setting's text of `order`.
    static QString OrderText(Order order);
    // A server as a URL: a bare "HOST:PORT" or "HOST" means plain HTTP (for tests and
    // mirrors); a text with a scheme ("https://...") stays as it is.
    static QString ServerUrl(const QString& text);
};
