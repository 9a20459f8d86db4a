// Helpers shared by the tests: running programs nobody here wrote (the oracles) and reading
// and writing whole files.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct TProcessResult {
    int ExitCode = -1; // -1 when the program could not be started or crashed
    QByteArray Out;
    QByteArray Err;
};

// Runs `program` with `args` and waits for it (up to `timeoutMs`); `input` goes to its stdin.
TProcessResult RunProgram(const QString& program, const QStringList& args,
                          const QByteArray& input = QByteArray(), int timeoutMs = 120000);

// Path of a program built by this project, e.g. "cli/sondrel-cli".
QString BuiltProgram(const QString& relativePath);

QByteArray ReadWholeFile(const QString& path);
// Little-endian 32-bit value at byte `offset` of `bytes`.
quint32 Le32(const QByteArray& bytes, int offset);
void WriteWholeFile(const QString& path, const QByteArray& bytes);
