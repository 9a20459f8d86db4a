// The lookup dialog: the source (CDDB, MusicBrainz, or MusicBrainz then CDDB), the MusicBrainz
// server, the CDDB server, query script and proxy a lookup uses, stored into the settings on
// every Query, which opens the progress dialog over the lookup job. The dialog closes when a
// lookup has applied the titles. GUI (main) thread only.
#pragma once

#include "audio/CoverArt.h"
#include "disc/CdAccess.h"
#include "settings/TAppOptions.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TDiscFieldsModel;
class TfrmStopQuery;

class TfrmQueryCDDB : public QDialog {
    Q_OBJECT
public:
    // Shows and edits the lookup block of `options`; looks up the disc in the drive of
    // `handle` into `model`. `options` and `model` must outlive the dialog.
    TfrmQueryCDDB(HCDROM handle, TAppOptions& options, TDiscFieldsModel* model,
                  QWidget* parent = nullptr);

    static inline const QString DefaultScript = QStringLiteral("/~cddb/cddb.cgi");

    // The progress dialog of the lookup running now, if any.
    TfrmStopQuery* Progress() const;

    QComboBox* cbSource; // in the order of TLookupSources::Order
    QLineEdit* eMusicBrainzServer;
    QComboBox* cbServer;
    QLineEdit* eScript;
    QLineEdit* eEmail; // QueryCDDB.Email
    QCheckBox* cbProxy;
    QLineEdit* eAddress;
    QLineEdit* ePort;
    QPushButton* bQuery;
    QPushButton* bClose;
    QPushButton* bDefault;

signals:
    // A progress dialog was opened (for tests).
    void queryStarted(TfrmStopQuery* progress);
    // A lookup applied the titles and fetched the front cover of the release.
    void coverFound(const TCoverArt& cover);

private:
    void showSettings();
    void proxyClicked();
    void defaults();
    void query();

    HCDROM m_handle;
    TAppOptions& m_options;
    TDiscFieldsModel* m_model;
    QPointer<TfrmStopQuery> m_progress;
};
