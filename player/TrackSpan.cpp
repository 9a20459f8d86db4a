#include "TrackSpan.h"

#include <QCoreApplication>

std::optional<TTrackSpan> FindTrackSpan(HCDROM handle, int number, QString& error) {
    TTOC toc{};
    if (handle == 0 || ModifyCDParms(handle, CdParmTocMsf, 1) == 0 || ReadTOC(handle, &toc) != 1) {
        error = QCoreApplication::translate(
            "TTrackSpan", "Can not read the disc's table of contents: is there an audio CD "
                          "in the drive?");
        return std::nullopt;
    }
    if (number < toc.FirstTrack || number > toc.LastTrack) {
        error = QCoreApplication::translate("TTrackSpan",
                                            "Track %1 is not on the disc (it has tracks %2 to %3).")
                    .arg(number)
                    .arg(toc.FirstTrack)
                    .arg(toc.LastTrack);
        return std::nullopt;
    }
    const int i = number - toc.FirstTrack;
    if (toc.Tracks[i].Adr & 0x04) {
        error = QCoreApplication::translate("TTrackSpan", "Track %1 is a data track, not audio.")
                    .arg(number);
        return std::nullopt;
    }
    const int first = TocEntryFrames(toc.Tracks[0]);
    // Entry i + 1 is the next track or, after the last, the lead-out.
    TTrackSpan span{TocEntryFrames(toc.Tracks[i]) - first,
                    TocEntryFrames(toc.Tracks[i + 1]) - first};
    if (span.End <= span.Start) {
        error = QCoreApplication::translate(
                    "TTrackSpan", "Track %1 has no audio in the disc's table of contents.")
                    .arg(number);
        return std::nullopt;
    }
    return span;
}
