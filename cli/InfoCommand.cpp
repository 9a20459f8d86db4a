// sondrel-cli info FILE...: what the WAV input sees in each file.
#include "Commands.h"
#include "audio/ACS_Wave.h"

namespace {

// "m:ss.mmm" for a duration in milliseconds.
QString formatDuration(int64_t ms) {
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000)
        .arg((ms / 1000) % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

int RunInfoCommand(TCliContext& ctx, const QStringList& args) {
    QStringList files;
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--")))
            return ctx.usageError(QStringLiteral("info: unknown option '%1'").arg(a));
        files << a;
    }
    if (files.isEmpty())
        return ctx.usageError(QStringLiteral("info needs at least one file"));

    bool allValid = true;
    for (const QString& file : files) {
        TWaveIn in;
        in.SetFileName(file);
        ctx.Out << file << '\n';
        try {
            const bool valid = in.IsValid();
            const TWavType type = in.WavType();
            ctx.Out << "  valid: " << (valid ? "yes" : "no") << '\n';
            ctx.Out << "  type: " << WavTypeName(type) << '\n';
            if (valid) {
                const int64_t samples = in.SampleCount();
                const int rate = in.SampleRate();
                ctx.Out << "  channels: " << in.Channels() << '\n';
                ctx.Out << "  sample rate: " << rate << '\n';
                ctx.Out << "  bits per sample: " << in.BitsPerSample() << '\n';
                ctx.Out << "  samples: " << std::max<int64_t>(samples, 0) << '\n';
                ctx.Out << "  duration: "
                        << formatDuration(rate > 0 ? std::max<int64_t>(samples, 0) * 1000 / rate
                                                   : 0)
                        << '\n';
            } else {
                allValid = false;
            }
        } catch (const EAuException& e) {
            ctx.Out << "  valid: no\n";
            ctx.Out << "  error: " << e.Message() << '\n';
            allValid = false;
        }
    }
    ctx.Out.flush();
    return allValid ? ExitOk : ExitFailed;
}
