// The Qt event a rip worker posts to its receiver on the GUI thread: type 2125 when the drive
// refused its set-up or the table of contents could not be read, type 2126 with a
// TProcessInfo. Qt frees the event, and its payload with it, after delivery.
#pragma once

#include "TProcessInfo.h"

#include <QEvent>

constexpr QEvent::Type RipDriveFailureEvent = QEvent::Type(2125);
constexpr QEvent::Type RipProcessInfoEvent = QEvent::Type(2126);

// Codes of a 2125 event.
constexpr int DriveSetupRefused = 1;
constexpr int DriveTocUnreadable = 2;

class TRipEvent : public QEvent {
public:
    // A 2126 event carrying `info`.
    explicit TRipEvent(const TProcessInfo& info) : QEvent(RipProcessInfoEvent), Info(info) {}
    // A 2125 event with DriveSetupRefused or DriveTocUnreadable.
    explicit TRipEvent(int driveFailure)
        : QEvent(RipDriveFailureEvent), DriveFailure(driveFailure) {}

    TProcessInfo Info;    // for 2126
    int DriveFailure = 0; // for 2125
};
