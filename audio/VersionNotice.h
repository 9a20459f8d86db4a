// What `--version` of both programs and the About box say about the program: its version, who
// holds the copyright and the licence it is under (GPL-3.0-or-later, which libcdio, linked by
// both programs, asks of them). Callable from any thread.
#pragma once

#include <QString>

inline constexpr char SondrelCopyright[] = "Copyright (C) 2026 The Sondrel developers";
inline constexpr char SondrelLicenceId[] = "GPL-3.0-or-later"; // SPDX
inline constexpr char SondrelLicenceUrl[] = "https://www.gnu.org/licenses/gpl-3.0.html";

// The lines `program --version` prints: "<program> <version>", the copyright, the licence and
// the absence of warranty, each ending in a newline.
QString VersionNotice(const QString& program);
