// The commands of sondrel-cli. Each takes the words after its name and returns an exit code.
#pragma once

#include "CliContext.h"

#include <QStringList>

int RunInfoCommand(TCliContext& ctx, const QStringList& args);
int RunSettingsCommand(TCliContext& ctx, const QStringList& args);
int RunDrivesCommand(TCliContext& ctx, const QStringList& args);
int RunTracksCommand(TCliContext& ctx, const QStringList& args);
int RunRipCommand(TCliContext& ctx, const QStringList& args);
int RunLookupCommand(TCliContext& ctx, const QStringList& args);
int RunConvertCommand(TCliContext& ctx, const QStringList& args);
int RunWmaFormatsCommand(TCliContext& ctx, const QStringList& args);
int RunPlayCommand(TCliContext& ctx, const QStringList& args);
int RunVerifyCommand(TCliContext& ctx, const QStringList& args);
