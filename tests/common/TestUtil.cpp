#include "TestUtil.h"

#include <QFile>
#include <QProcess>
#include <stdexcept>

TProcessResult RunProgram(const QString& program, const QStringList& args, const QByteArray& input,
                          int timeoutMs) {
    TProcessResult r;
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted())
        return r;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.Out = p.readAllStandardOutput();
    r.Err = p.readAllStandardError();
    if (p.exitStatus() == QProcess::NormalExit)
        r.ExitCode = p.exitCode();
    return r;
}

QString BuiltProgram(const QString& relativePath) {
    return QStringLiteral(SONDREL_BINARY_DIR "/") + relativePath;
}

QByteArray ReadWholeFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

quint32 Le32(const QByteArray& bytes, int offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + offset);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}
