#include "RipWorkerSupport.h"

#include <gtest/gtest.h>

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

TRipPlan PlanOf(const QStringList& entries, const TAppOptions& options, const TDiscFields& disc) {
    std::vector<TTrackRow> rows;
    for (const QString& e : entries) {
        const size_t n = size_t(e.left(2).toInt());
        if (rows.size() < n)
            rows.resize(n, TTrackRow{0, {}, {}, {}, {}, true, false});
        rows[n - 1].Title = e.mid(2);
        rows[n - 1].Checked = true;
    }
    TRipPlan built;
    QString error;
    EXPECT_TRUE(TRipPlan::Build(rows, disc, options, &built, &error)) << error.toStdString();
    // The job rips in the plan's order; the entries give it.
    TRipPlan plan = built;
    plan.Tracks.clear();
    for (const QString& e : entries)
        for (const TRipPlanTrack& t : built.Tracks)
            if (t.Number == e.left(2).toInt())
                plan.Tracks.push_back(t);
    return plan;
}
