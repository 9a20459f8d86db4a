#include "tests/common/AudioTestUtil.h"

#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

bool RunSox(const QStringList& args) {
    return RunProgram(QStringLiteral("sox"), QStringList{QStringLiteral("-D")} + args).ExitCode ==
           0;
}

bool RunFfmpeg(const QStringList& args) {
    QStringList all{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                    QStringLiteral("-fflags"), QStringLiteral("+bitexact")};
    // Output options go right before the last argument (the output file).
    QStringList in = args;
    const QString out = in.takeLast();
    all << in << QStringLiteral("-flags:a") << QStringLiteral("+bitexact")
        << QStringLiteral("-map_metadata") << QStringLiteral("-1") << out;
    return RunProgram(QStringLiteral("ffmpeg"), all).ExitCode == 0;
}

QByteArray SoxDecode(const QString& file) {
    return RunProgram(QStringLiteral("sox"),
                      {QStringLiteral("-D"), file, QStringLiteral("-t"), QStringLiteral("raw"),
                       QStringLiteral("-e"), QStringLiteral("signed"), QStringLiteral("-b"),
                       QStringLiteral("16"), QStringLiteral("-L"), QStringLiteral("-")})
        .Out;
}

QByteArray FfmpegDecode(const QString& file, const QString& decoder) {
    QStringList args{QStringLiteral("-v"), QStringLiteral("error")};
    if (!decoder.isEmpty())
        args << QStringLiteral("-c:a") << decoder;
    args << QStringLiteral("-i") << file << QStringLiteral("-f") << QStringLiteral("s16le")
         << QStringLiteral("-");
    return RunProgram(QStringLiteral("ffmpeg"), args).Out;
}

QByteArray ReadAllFrom(TAuInput& input, int request) {
    QByteArray all;
    input.Open();
    for (;;) {
        char* buffer = nullptr;
        int bytes = request;
        input.ReadData(buffer, bytes);
        if (bytes <= 0 || !buffer)
            break;
        all.append(buffer, bytes);
    }
    input.Close();
    return all;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void ProcessEventsFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

bool RunAndStopAt(TAuOutput& out, int percent, int timeoutMs) {
    bool done = false;
    out.SetBlockDelay(10);
    out.SetOnDone([&](TAuOutput*) { done = true; });
    out.Start();
    const bool reached = WaitFor([&] { return out.Progress() >= percent; }, timeoutMs);
    out.Stop(true);
    const bool finished = WaitFor([&] { return done; }, timeoutMs);
    out.SetOnDone(nullptr);
    return reached && finished;
}
