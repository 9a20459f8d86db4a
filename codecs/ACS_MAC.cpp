#include "codecs/ACS_MAC.h"

#include <QCoreApplication>
#include <cstring>

QString MacErrorText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("OK");
    case 1000:
        return QStringLiteral("I/O read error");
    case 1001:
        return QStringLiteral("I/O write error");
    case 1002:
        return QStringLiteral("invalid input file");
    case 1003:
        return QStringLiteral("invalid output file");
    case 1004:
        return QStringLiteral("input file file too large");
    case 1005:
        return QStringLiteral("input file unsupported bit depth");
    case 1006:
        return QStringLiteral("input file unsupported sample rate");
    case 1007:
        return QStringLiteral("input file unsupported channel count");
    case 1008:
        return QStringLiteral("input file too small");
    case 1009:
        return QStringLiteral("invalid checksum");
    case 1010:
        return QStringLiteral("decompressing frame");
    case 1011:
        return QStringLiteral("initializing unmac");
    case 1012:
        return QStringLiteral("invalid function parameter");
    case 1013:
        return QStringLiteral("unsupported file type");
    case 2000:
        return QStringLiteral("insufficient memory");
    case 3000:
        return QStringLiteral("loading MAC.dll");
    case 3001:
        return QStringLiteral("loading MACinfo.dll");
    case 3002:
        return QStringLiteral("loading UnMAC.dll");
    case 4000:
        return QStringLiteral("user stopped processing");
    case 4001:
        return QStringLiteral("skipped...");
    case 5000:
        return QStringLiteral("bad parameter");
    case 6000:
        return QStringLiteral("APE compress too much data");
    default:
        return QStringLiteral("undefined (%1)").arg(code);
    }
}

EAPEException::EAPEException(int code)
    : m_code(code), m_message(QStringLiteral("MACDll error: ") + MacErrorText(code)),
      m_utf8(m_message.toStdString()) {}

TAPECompress::TAPECompress() {
    FHandle = c_APECompress_Create(&FError);
    if (FError != 0) {
        if (FHandle)
            c_APECompress_Destroy(FHandle);
        throw EAPEException(FError);
    }
}

TAPECompress::~TAPECompress() {
    if (FHandle)
        c_APECompress_Destroy(FHandle);
}

int TAPECompress::Start(const char* fileName, const WAVEFORMATEX* format, int64_t maxAudioBytes,
                        int level, const void* headerData, int64_t headerBytes) {
    return c_APECompress_Start(FHandle, fileName, format, maxAudioBytes, level, headerData,
                               headerBytes);
}

unsigned char* TAPECompress::LockBuffer(int64_t* bytesAvailable) {
    return c_APECompress_LockBuffer(FHandle, bytesAvailable);
}

int TAPECompress::UnlockBuffer(int64_t bytesAdded, bool process) {
    return c_APECompress_UnlockBuffer(FHandle, bytesAdded, process ? 1 : 0);
}

int TAPECompress::Finish(const unsigned char* terminatingData, int64_t terminatingBytes,
                         int64_t wavTerminatingBytes) {
    return c_APECompress_Finish(FHandle, terminatingData, terminatingBytes, wavTerminatingBytes);
}

// The compressor library is part of the program, so it is always loaded and the constructor
// never refuses.
TMACOut::TMACOut(QObject* owner) : TAuTaggedFileOut(owner) {}

TMACOut::~TMACOut() {
    ShutDownWorker();
}

bool TMACOut::IsCompressionLevel(int level) {
    return level >= 1000 && level <= 5000 && level % 1000 == 0;
}

void TMACOut::SetCompressionLevel(int level) {
    FCompressionLevel = IsCompressionLevel(level) ? level : 2000;
}

void TMACOut::PrepareOutput() {
    // The library writes the file itself from its name; an assigned stream cannot be used.
    if (FFileName.isEmpty())
        throw EAuException(QStringLiteral("File name is not assigned."));
    TAuInput* input = Input();
    input->Open();
    FEndOfInput = false;
    // An input that could not be opened would give an empty file that looks like success.
    const QString failure = input->OpenFailure();
    if (!failure.isEmpty())
        throw EAuException(failure);

    FAPECompress.reset(); // a compressor left by a failed run goes first
    FAPECompress = std::make_unique<TAPECompress>();
    if (!FBuffer)
        FBuffer = std::make_unique<char[]>(BufferBytes);
    FillWaveFormatEx(&FWaveFormat, input->SampleRate(), input->BitsPerSample(), input->Channels());
    const int e = FAPECompress->Start(FFileName.toUtf8().constData(), &FWaveFormat, FMaxAudioBytes,
                                      FCompressionLevel, nullptr, -1);
    FWritingAllowed = e == 0;
    if (e != 0)
        throw EAuException(
            WithSystemReason(QStringLiteral("Error starting APECompress.\r\n") + MacErrorText(e)));
}

bool TMACOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort || FEndOfInput)
        return false;

    // The largest whole number of input frames that fits the buffer.
    const int frame = FWaveFormat.nChannels * (FWaveFormat.wBitsPerSample / 8);
    const int target = frame > 0 ? BufferBytes - BufferBytes % frame : BufferBytes;

    TAuInput* input = Input();
    int gathered = 0;
    while (gathered < target) {
        const int n = input->ReadInto(FBuffer.get() + gathered, target - gathered);
        if (n <= 0) {
            FEndOfInput = true;
            break;
        }
        gathered += n;
    }

    // Into the library's buffer in as many pieces as its free space requires.
    int done = 0;
    while (done < gathered) {
        int64_t available = 0;
        unsigned char* p = FAPECompress->LockBuffer(&available);
        if (!p)
            throw EAuException(
                QStringLiteral("APECompress.UnlockBuffer Error: %1").arg(int(ERROR_UNDEFINED)));
        const int n = int(std::min<int64_t>(available, gathered - done));
        std::memcpy(p, FBuffer.get() + done, size_t(n));
        const int e = FAPECompress->UnlockBuffer(n, true);
        if (e != 0)
            throw EAuException(
                WithSystemReason(QStringLiteral("APECompress.UnlockBuffer Error: %1").arg(e)),
                FAPECompress->SystemError());
        done += n;
    }
    return true;
}

void TMACOut::FinishOutput() {
    const int e = FAPECompress->Finish(nullptr, 0, 0);
    // A failure here (a full disk, say) would otherwise pass for a finished file.
    const QString failure =
        e != 0
            ? WithSystemReason(QStringLiteral("Error finishing APECompress.\r\n") + MacErrorText(e))
            : QString();
    const int systemError = e != 0 ? FAPECompress->SystemError() : 0;
    FAPECompress.reset();
    if (e != 0)
        throw EAuException(failure, systemError);
    Input()->Close();
}

QString TMACOut::WithSystemReason(const QString& text) const {
    const int err = FAPECompress ? FAPECompress->SystemError() : 0;
    if (err == 0)
        return text;
    return text + QStringLiteral("\r\n") +
           QCoreApplication::translate("TMACOut", "Cannot write file %1: %2")
               .arg(FFileName, QString::fromLocal8Bit(std::strerror(err)));
}

void TMACOut::ReleaseAfterFailure() {
    FAPECompress.reset();
    TAuTaggedFileOut::ReleaseAfterFailure();
}
