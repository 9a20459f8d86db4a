#include "OggFileOut.h"

#include "codecs/OggStreamEncoder.h"
#include "codecs/StreamSink.h"

namespace {

// Bytes asked of the input per block.
constexpr int BlockBytes = 32768;

} // namespace

TOggFileOut::TOggFileOut(QObject* owner) : TAuFileOut(owner) {}

TOggFileOut::~TOggFileOut() = default;

std::vector<std::pair<QByteArray, QByteArray>> TOggFileOut::streamComments() const {
    std::vector<std::pair<QByteArray, QByteArray>> comments;
    for (int i = 0; i < FComments.Count(); ++i) {
        const QString name = FComments.NameAt(i);
        comments.emplace_back(name.toUtf8(), FComments.AsWideString(name).toUtf8());
    }
    if (!FPicture.isEmpty())
        comments.emplace_back("METADATA_BLOCK_PICTURE", FPicture.flacPictureBody().toBase64());
    return comments;
}

TByteSink& TOggFileOut::sink() {
    if (!FSink)
        FSink = std::make_unique<TStreamSink>(FStream);
    return *FSink;
}

void TOggFileOut::startEncoder(std::unique_ptr<TOggStreamEncoder> encoder) {
    FEncoder = std::move(encoder);
}

void TOggFileOut::releaseEncoder() {
    FEncoder.reset();
    FSink.reset();
}

bool TOggFileOut::WriteBlock(bool abort) {
    if (!FWritingAllowed)
        return true;
    if (abort || FEncoder->EndOfStream())
        return false;
    TAuInput* input = Input();
    char* block = nullptr;
    int bytes = BlockBytes;
    input->ReadData(block, bytes);
    if (!block)
        bytes = 0;
    // 0 bytes ends the stream: the rest is encoded and the end-of-stream page written.
    FEncoder->Encode(block, bytes, input->BitsPerSample());
    return true;
}

void TOggFileOut::FinishOutput() {
    QString failure;
    try {
        // A stopped run still ends its stream properly, so the file plays to where it stopped.
        if (FEncoder && !FEncoder->EndOfStream())
            FEncoder->Encode(nullptr, 0, 16);
        TStreamSink::Flush(FStream);
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    CloseOwnStream();
    if (TAuInput* input = Input())
        input->Close();
    // Tags belong to one file.
    FComments.Clear();
    FPicture = TCoverArt();
    releaseEncoder();
    if (!failure.isEmpty())
        throw EAuException(failure);
}

void TOggFileOut::ReleaseAfterFailure() {
    releaseEncoder();
    TAuFileOut::ReleaseAfterFailure();
}
