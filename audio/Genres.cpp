#include "Genres.h"

// clang-format off
const std::array<const char*, GenreCount> GenreNames = {
    "A Cappella", "Acid", "Acid Jazz", "Acid Punk", "Acoustic", "Alt. Rock", "Alternative",
    "Ambient", "Anime", "Avantgarde", "Ballad", "Bass", "Beat", "Bebob", "Big Band", "Black Metal",
    "Bluegrass", "Blues", "Booty Bass", "BritPop", "Cabaret", "Celtic", "Chamber Music", "Chanson",
    "Chorus", "Christian Gangsta", "Christian Rap", "Christian Rock", "Classic Rock", "Classical",
    "Club", "Club-House", "Comedy", "Contemporary Christian", "Country", "Crossover", "Cult",
    "Dance", "Dance Hall", "Darkwave", "Death Metal", "Disco", "Dream", "Drum & Base", "Drum Solo",
    "Duet", "Easy Listening", "Electronic", "Ethnic", "Eurodance", "Euro-House", "Euro-Techno",
    "Fast-Fusion", "Folk", "Folk/Rock", "Folklore", "Freestyle", "Funk", "Fusion", "Game",
    "Gangsta Rap", "Goa", "Gospel", "Gothic", "Gothic Rock", "Grunge", "Hard Rock", "Hardcore",
    "Heavy Metal", "Hip-Hop", "House", "Humour", "Indie", "Industrial", "Instrumental",
    "Instrumental Pop", "Instrumental Rock", "Jazz", "Jazz+Funk", "JPop", "Jungle", "Latin",
    "Lo-Fi", "Meditative", "Merengue", "Metal", "Musical", "National Folk", "Native American",
    "Negerpunk", "New Age", "New Wave", "Noise", "Oldies", "Opera", "Other", "Polka", "Polsk Punk",
    "Pop", "Pop/Funk", "Pop-Folk", "Porn Groove", "Power Ballad", "Pranks", "Primus",
    "Progressive Rock", "Psychedelic", "Psychedelic Rock", "Punk", "Punk Rock", "R&B", "Rap",
    "Rave", "Reggae", "Retro", "Revival", "Rhythmic Soul", "Rock", "Rock & Roll", "Salsa", "Samba",
    "Satire", "Showtunes", "Ska", "Slow Jam", "Slow Rock", "Sonata", "Soul", "Sound Clip",
    "Soundtrack", "Southern Rock", "Space", "Speech", "Swing", "Symphonic Rock", "Symphony",
    "Synthpop", "Tango", "Techno", "Techno-Industrial", "Terror", "Thrash Metal", "Top 40",
    "Trailer", "Trance", "Tribal", "Trip-Hop", "Vocal",
};

namespace {
// ID3v1 genre number of each GenreNames entry, in the same order.
constexpr std::array<quint8, GenreCount> GenreNumbers = {
    123, 34, 74, 73, 99, 40, 20, 26, 145, 90, 116, 41, 135, 85, 96, 138, 89, 0, 107, 132, 65, 88,
    104, 102, 97, 136, 61, 141, 1, 32, 112, 128, 57, 140, 2, 139, 58, 3, 125, 50, 22, 4, 55, 127,
    122, 120, 98, 52, 48, 54, 124, 25, 84, 80, 81, 115, 119, 5, 30, 36, 59, 126, 38, 49, 91, 6, 79,
    129, 137, 7, 35, 100, 131, 19, 33, 46, 47, 8, 29, 146, 63, 86, 71, 45, 142, 9, 77, 82, 64, 133,
    10, 66, 39, 11, 103, 12, 75, 134, 13, 62, 53, 109, 117, 23, 108, 92, 67, 93, 43, 121, 14, 15,
    68, 16, 76, 87, 118, 17, 78, 143, 114, 110, 69, 21, 111, 95, 105, 42, 37, 24, 56, 44, 101, 83,
    94, 106, 147, 113, 18, 51, 130, 144, 60, 70, 31, 72, 27, 28,
};
} // namespace

const std::array<const char*, GenreCount> Id3v1GenreNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "Alt. Rock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental pop", "Instrumental rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A Cappella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop",
};
// clang-format on

int GenreIndexOf(const QString& name, Qt::CaseSensitivity cs) {
    for (int i = 0; i < GenreCount; ++i) {
        if (name.compare(QLatin1String(GenreNames[i]), cs) == 0)
            return i;
    }
    return -1;
}

quint8 GenreByte(int position) {
    if (position < 1 || position > GenreCount)
        return 255;
    return GenreNumbers[position - 1];
}

int Id3v1GenreIndexOf(const QString& name) {
    for (int i = 0; i < GenreCount; ++i) {
        if (name.compare(QLatin1String(Id3v1GenreNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString GenreBoxText(int position) {
    if (position < 1 || position > GenreCount)
        return QString();
    return QString::fromLatin1(GenreNames[size_t(position - 1)]);
}
