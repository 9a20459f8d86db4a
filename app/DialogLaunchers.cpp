#include "DialogLaunchers.h"

#include "cddb/DiscFieldsModel.h"
#include "frmEncodeProgress.h"
#include "frmMain.h"
#include "frmQueryCDDB.h"
#include "settings/AppOptions.h"

void InstallDialogLaunchers(TfrmMain& window) {
    // The lookup writes into the window's session; the window shows each change.
    auto* fields = new TDiscFieldsModel(window.Session(), &window);
    QObject::connect(fields, &TDiscFieldsModel::changed, &window, &TfrmMain::ShowDiscTexts);
    TfrmMain* w = &window;
    window.SetLookupLauncher([w, fields](HCDROM handle, int, int) {
        auto* dialog = new TfrmQueryCDDB(handle, AppOptions, fields, w);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    window.SetConverterLauncher([w](const QStringList& files, int kind) {
        auto* dialog =
            new TfrmEncodeProgress(files, kind, AppOptions, w->Session().Fields,
                                   TConvertJob::LaneCountFor(AppOptions.ConverterJobs), w);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->Start();
    });
}
