// What the disc commands of sondrel-cli share: their option parsing helpers and opening the
// chosen drive and reading its disc as the main window would. Main thread only.
#pragma once

#include "CliContext.h"
#include "disc/DiscSession.h"

#include <QString>
#include <QStringList>
#include <optional>

// Takes the value of option `name` at args[i] ("--name VALUE" or "--name=VALUE"), moving i past
// it. False when args[i] is not that option; `missing` set when it has no value.
bool TakeOption(const QStringList& args, int& i, const QString& name, QString& value,
                bool& missing);

// The drive number of a --drive value; -1 when `missing` or not a number of 0 or more.
int ParseDriveNumber(const QString& value, bool missing);
// The usage error for a --drive value ParseDriveNumber refuses.
QString DriveNumberUsage();
// The read offset of --offset in samples (a drive's is a few thousand at the very most), or
// nothing when the value is missing or not such a number.
std::optional<int> ParseReadOffset(const QString& value, bool missing);
// The usage error for an --offset value ParseReadOffset refuses.
QString ReadOffsetUsage(const QString& value);

// Registers the --disc-image files. ExitOk, or ExitFailed after printing why an image cannot
// serve as a drive (the first such image).
int RegisterDiscImages(TCliContext& ctx);

// Registers the --disc-image files, loads the settings, opens drive `drive` and reads its disc
// into `session`. Returns ExitOk, or ExitFailed after printing the status text that says why.
int OpenDiscForCommand(TCliContext& ctx, int drive, TDiscSession& session);
