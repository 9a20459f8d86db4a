// sondrel-cli wma-formats [--vbr] [CODEC]: the WMA codecs and one codec's formats, with the
// indexes the settings WMAOptions.CodecIndex and WMAOptions.FormatIndex refer to.
#include "Commands.h"
#include "codecs/WmaFormats.h"

int RunWmaFormatsCommand(TCliContext& ctx, const QStringList& args) {
    bool vbr = false;
    QString codecText;
    for (const QString& a : args) {
        if (a == QLatin1String("--vbr"))
            vbr = true;
        else if (a.startsWith(QLatin1String("--")))
            return ctx.usageError(QStringLiteral("wma-formats: unknown option '%1'").arg(a));
        else if (codecText.isEmpty())
            codecText = a;
        else
            return ctx.usageError(QStringLiteral("wma-formats takes one codec index"));
    }
    bool ok = true;
    const int codec = codecText.isEmpty() ? 0 : codecText.toInt(&ok);
    if (!ok)
        return ctx.usageError(
            QStringLiteral("wma-formats: '%1' is not a codec index").arg(codecText));

    const QStringList codecs = TWmaFormats::CodecNames();
    ctx.Out << "Codecs:\n";
    for (int i = 0; i < codecs.size(); ++i)
        ctx.Out << "  " << i << "  " << codecs[i] << '\n';
    if (codec < 0 || codec >= codecs.size()) {
        ctx.Out.flush();
        return ctx.failure(
            QStringLiteral("there is no WMA codec %1 (0 to %2)").arg(codec).arg(codecs.size() - 1));
    }
    std::vector<TWmaFormat> formats;
    ctx.Out << "Formats of codec " << codec << (vbr ? " with VBR" : "") << ":\n";
    if (!TWmaFormats::Enumerate(codec, vbr, formats))
        ctx.Out << "  none: this codec has no " << (vbr ? "VBR " : "") << "formats\n";
    for (size_t i = 0; i < formats.size(); ++i)
        ctx.Out << "  " << i << "  " << formats[i].Description << '\n';
    ctx.Out.flush();
    return ExitOk;
}
