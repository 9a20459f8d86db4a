// The process-wide settings record, loaded from options.ini at start and saved at exit. Only the
// settings store, the command line and the window read or write it, on the GUI (main) thread;
// jobs and workers get a copy of what they need when they are made.
#pragma once

#include "settings/TAppOptions.h"

extern TAppOptions AppOptions;
