// The CDDB calls of the CD access layer: options set one by one, a query that fills a caller's
// table of 192-byte match entries, and the fetch of a match's record text into a caller's
// buffer. Records are byte-packed. The calls block (HTTP with time limits) and are meant for a
// worker thread; options are kept per calling thread, so a lookup that the user abandoned and
// the next one never share settings. An optional stop flag, polled about every 100 ms, ends a
// call early.
#pragma once

#include "disc/CdAccess.h"
#include "disc/TableOfContents.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// One match of a query; every text NUL-terminated UTF-8, cut at a character boundary.
struct TCddbMatch {
    char Category[12]; // "rock", "misc", ...
    char DiscId[12];   // 8 hexadecimal digits
    char Title[168];   // "Artist / Album" as the server lists it
};

// Count: set to the number of entries Matches points to (at most 10 are used) before the
// query; holds the number of matches after it.
struct TCddbQuery {
    int32_t Count;
    TCddbMatch* Matches;
};

#pragma pack(pop)

static_assert(sizeof(TCddbMatch) == 192);
static_assert(offsetof(TCddbQuery, Matches) == 4);

// Option numbers of CDDBSetOption.
enum TCddbOptionNumber {
    CDDB_OPT_SERVER = 0,    // text: HOST or HOST:PORT (port 80 when none is given)
    CDDB_OPT_PROXY = 1,     // text: proxy host
    CDDB_OPT_USEPROXY = 2,  // number: nonzero = through the proxy
    CDDB_OPT_AGENT = 3,     // text: "NAME VERSION" of the program, sent in hello=
    CDDB_OPT_USER = 4,      // text: "USER@HOST" e-mail address, sent in hello=
    CDDB_OPT_PROXYPORT = 5, // number: proxy port (80 when not in 1..65535)
    CDDB_OPT_CGI = 6,       // text: path of the CDDB script on the server
    CDDB_OPT_TIMEOUT = 7,   // number: seconds one request may take (30 when 0 or less)
    CDDB_OPT_RESERVED = 8,  // text: accepted for compatibility, not used
};

// The e-mail address the lookup sends in hello=; no real mailbox.
inline constexpr const char* CddbPlaceholderEmail = "sondrel@localhost";

// Stores an option for the calling thread's next query. 1 when the number is known.
int CDDBSetOption(int option, const char* text, int number);

// Queries the server for the disc in the drive of `handle`, identified by its table of
// contents. As CDDBQueryDisc otherwise; 0 with ErrArgument when the table cannot be read.
int CDDBQuery(HCDROM handle, TCddbQuery* query, const std::atomic<bool>* stop = nullptr);

// Queries the server for `disc`. 1 when the server answered (including "no match"), with
// query->Count set to the number of matches filled (0 for none); 0 on failure, with
// query->Count 0.
int CDDBQueryDisc(const TTableOfContents& disc, TCddbQuery* query,
                  const std::atomic<bool>* stop = nullptr);

// Fetches the record of `match` into `buffer` of `size` bytes as NUL-terminated UTF-8 lines
// "KEY=value", cut at the last whole line that fits. 1 on success.
int CDDBGetDiskInfo(const TCddbMatch* match, char* buffer, int size,
                    const std::atomic<bool>* stop = nullptr);

// The error code (TCddbClient::Error) and the text of the calling thread's last failed call.
int CDDBGetLastError();
QString CDDBFailureText();

// Copies `text` into `out` of `size` bytes (size >= 1) as NUL-terminated UTF-8: cut after the
// last line break that fits, or at a character boundary when a single line is too long.
void CopyTextToBuffer(const QByteArray& text, char* out, int size, bool wholeLines);
