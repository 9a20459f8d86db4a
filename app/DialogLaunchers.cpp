#include "DialogLaunchers.h"

#include "MessageBoxes.h"
#include "frmEncodeProgress.h"
#include "frmMain.h"
#include "frmQueryCDDB.h"
#include "lookup/DiscFieldsModel.h"
#include "settings/AppOptions.h"
#include "settings/SettingsError.h"
#include "settings/SettingsStore.h"

void InstallDialogLaunchers(TfrmMain& window) {
    // The lookup writes into the window's session; the window shows each change.
    auto* fields = new TDiscFieldsModel(window.Session(), &window);
    QObject::connect(fields, &TDiscFieldsModel::changed, &window, &TfrmMain::ShowDiscTexts);
    TfrmMain* w = &window;
    window.SetLookupLauncher([w, fields](HCDROM handle, int, int) {
        auto* dialog = new TfrmQueryCDDB(handle, AppOptions, fields, w);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // The cover is kept for the disc at once; the rip of this disc takes it from there.
        QObject::connect(dialog, &TfrmQueryCDDB::coverFound, w, [w](const TCoverArt& cover) {
            try {
                SaveDiscCover(w->Session().Key, cover);
            } catch (const TSettingsError& e) {
                ShowMessage(w, QMessageBox::Warning, e.Message());
            }
        });
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
