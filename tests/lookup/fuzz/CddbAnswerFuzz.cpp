// libFuzzer target: whatever a CDDB server sends must parse without crashing, and the texts
// that reach the caller's fixed buffers must stay inside them and be NUL-terminated.
#include "lookup/CddbCalls.h"
#include "lookup/CddbClient.h"
#include "lookup/CddbRecord.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<TCddbClient::Match> matches;
    QString error;
    TCddbClient::parseQueryAnswer(bytes, 10, &matches, &error);
    if (matches.size() > 10)
        __builtin_trap();
    for (const auto& m : matches)
        if (!TCddbClient::isValidCategory(m.Category) || !TCddbClient::isValidDiscId(m.DiscId))
            __builtin_trap();

    QString record;
    if (TCddbClient::parseReadAnswer(bytes, &record, &error)) {
        const TCddbRecord r = TCddbRecord::parse(record);
        (void)r.artist();
        (void)r.album();
        for (int n = 0; n < 100; ++n)
            (void)TCddbRecord::oneLine(r.trackTitle(n));
    }

    // Cut into a small buffer with a guard byte behind it.
    const int room = int(size % 64) + 1;
    std::vector<char> out(size_t(room) + 1, '\x5a');
    CopyTextToBuffer(bytes, out.data(), room, (size & 1) != 0);
    if (out[size_t(room)] != '\x5a' || std::memchr(out.data(), 0, size_t(room)) == nullptr)
        __builtin_trap();
    return 0;
}
