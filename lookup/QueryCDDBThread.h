// The lookup worker: sets the CDDB options from the lookup settings, queries the server for
// the disc in the drive, walks the records of the matches and puts the artist, album, year,
// genre and track titles it finds into a TDiscFieldsModel; on a "Various" disc the titles
// "Artist / Title" give the track artists. Nothing reaches the model unless a record holds the
// track titles: a lookup that fails changes nothing. It reports to a receiver with
// message 2129 (TCddbMessageEvent), whose detail says why a record could not be read. Started
// with Start(); frees itself when it ends.
//
// Threads: the constructor, Start, Abandon and WaitForAll run on the GUI thread; run() on the
// worker. The model's changes are queued calls that execute on the GUI thread. Abandon takes
// the link's mutex, which the worker also holds while it posts, so once Abandon returns the
// worker posts nothing more; calls already queued check the atomic abandoned flag on the GUI
// thread and do nothing. The worker therefore never touches the receiver or the model after
// Abandon, and they may be destroyed right after it.
#pragma once

#include "DiscFieldsModel.h"
#include "disc/CdAccess.h"
#include "settings/TAppOptions.h"

#include <QMutex>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class TQueryCDDBThread : public QThread {
    Q_OBJECT
public:
    // The lookup block of the settings, copied when the worker is made.
    struct Settings {
        QString Server;
        QString Script;
        bool UseProxy = false;
        QString ProxyAddress;
        QString Port;           // text, as stored; not a number means 80
        int TimeoutSeconds = 0; // one request's time limit; 0 = the client's default
        QString Email;          // the user's address for the hello; "" = none given
        // The lookup block of `options`.
        static Settings From(const TAppOptions& options);
    };

    // Makes and starts a worker for the disc with tracks `firstTrack`..`lastTrack` in the drive
    // of `handle`. `receiver` gets message 2129; `model` gets the results. Returns a guarded
    // pointer that becomes null when the worker has freed itself.
    static QPointer<TQueryCDDBThread> Start(QObject* receiver, TDiscFieldsModel* model,
                                            int firstTrack, int lastTrack, HCDROM handle,
                                            const Settings& settings);

    // Gives the worker up: it stops as soon as it can and nothing it produces afterwards
    // reaches the receiver or the model. GUI thread.
    void Abandon();

    // Waits until every worker has ended, at most `ms` milliseconds; true when none is left.
    // For program exit. GUI thread.
    static bool WaitForAll(int ms);

protected:
    void run() override;

private:
    struct Link {
        QMutex Mutex; // held while posting and while abandoning
        std::atomic<bool> Abandoned{false};
        std::atomic<bool> Stop{false}; // polled by the HTTP calls
        QObject* Receiver = nullptr;   // guarded by Mutex; null once abandoned
        TDiscFieldsModel* Model = nullptr;
    };

    TQueryCDDBThread(QObject* receiver, TDiscFieldsModel* model, int firstTrack, int lastTrack,
                     HCDROM handle, const Settings& settings);

    void execute();
    void postMessage(int wParam, int lParam, int outcome, const QString& detail = QString());
    void postWrite(std::function<void(TDiscFieldsModel&)> write);

    const std::shared_ptr<Link> m_link;
    const int m_first;
    const int m_last;
    const HCDROM m_handle;
    const Settings m_settings;
};
