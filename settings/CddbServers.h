// The CDDB servers offered by the lookup; the first is the default of the Server setting.
#pragma once

#include <array>

inline constexpr std::array<const char*, 12> CddbServerNames = {
    "gnudb.gnudb.org",   "gnudb.org",     "freedb.dbpoweramp.com", "freedb.musicbrainz.org",
    "freedb.freedb.org", "us.freedb.org", "uk.freedb.org",         "de.freedb.org",
    "at.freedb.org",     "ca.freedb.org", "ru.freedb.org",         "es.freedb.org",
};
