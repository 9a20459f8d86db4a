// Message 2129 of the lookup worker, posted to its progress receiver: WParam 6 = the query
// found no match (LParam the CDDB error code, for information), 7 = the worker has finished.
// Built and delivered on the receiver's (GUI) thread.
#pragma once

#include <QEvent>
#include <QString>

class TCddbMessageEvent : public QEvent {
public:
    static constexpr QEvent::Type MessageType = QEvent::Type(2129);
    enum : int { NoMatch = 6, Finished = 7 };

    // How a finished lookup ended, beyond the message itself (the command line reports it).
    enum Outcome {
        TitlesApplied, // a record held the track titles; they are in the disc fields
        NoTitles,      // records were walked but none held the track titles; Detail says why
                       // the last record that could not be read failed, "" when all came
        QueryFailed,   // the query call failed; Detail says why
        NoMatchFound,  // with WParam 6
    };

    TCddbMessageEvent(int wParam, int lParam, Outcome outcome, const QString& detail = QString())
        : QEvent(MessageType), WParam(wParam), LParam(lParam), How(outcome), Detail(detail) {}

    const int WParam;
    const int LParam;
    const Outcome How;
    const QString Detail;
};
