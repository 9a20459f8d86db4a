// Connects the main window's lookup and converter commands to their dialogs: the lookup
// dialog writes into the window's disc fields and titles, the converter dialog converts the
// chosen files with the settings of the moment. GUI (main) thread only.
#pragma once

class TfrmMain;

void InstallDialogLaunchers(TfrmMain& window);
