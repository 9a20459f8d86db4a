#include "RipWorkerSupport.h"

HCDROM OpenTestImage(const QString& cue) {
    SetDiscImages({cue});
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    TGetCDHand req{12, 1, list.Cd[0].Ha, list.Cd[0].Tgt, list.Cd[0].Lun, 0, 0, 0, 0, {}};
    return GetCDHandle(&req);
}

bool TEventCollector::event(QEvent* e) {
    if (e->type() == RipProcessInfoEvent) {
        Infos.push_back(static_cast<TRipEvent*>(e)->Info);
        return true;
    }
    if (e->type() == RipDriveFailureEvent) {
        DriveFailures.push_back(static_cast<TRipEvent*>(e)->DriveFailure);
        return true;
    }
    return QObject::event(e);
}

std::vector<int> TEventCollector::Percents() const {
    std::vector<int> p;
    for (const TProcessInfo& i : Infos)
        if (i.Value >= 0 && i.Value <= 100)
            p.push_back(i.Value);
    return p;
}

QList<TRipTrack> TracksOf(const QStringList& entries) {
    QList<TRipTrack> tracks;
    for (const QString& e : entries)
        tracks << TRipTrack{TRipJob::EntryNumber(e), TRipJob::EntryTitle(e)};
    return tracks;
}
