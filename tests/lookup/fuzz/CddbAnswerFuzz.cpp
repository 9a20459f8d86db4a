// libFuzzer target: whatever a CDDB server sends must parse without crashing, and the matches
// it gives must be usable in the next request.
#include "lookup/CddbClient.h"
#include "lookup/CddbRecord.h"

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
    return 0;
}
