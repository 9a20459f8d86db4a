// Shared by the rip worker and rip job tests: opening an image as a drive, collecting the
// events a worker posts (Le32 from TestUtil reads a WAV's header fields).
#pragma once

#include "cdrip/CdAccess.h"
#include "cdrip/RipEvent.h"
#include "tests/common/TestUtil.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

// Registers `cue` as the only image and opens it; 0 on failure.
HCDROM OpenTestImage(const QString& cue);

class TEventCollector : public QObject {
public:
    std::vector<TProcessInfo> Infos;
    std::vector<int> DriveFailures;
    bool event(QEvent* e) override;
    // The percentages posted, in order.
    std::vector<int> Percents() const;
};
