// Basic types of the audio component framework: file output modes, the stream open modes of
// TAuFileStream and the handler types of the outputs.
#pragma once

#include <cstdint>
#include <functional>

class TAuOutput;

// How a file output treats an existing file.
enum TFileOutputMode { foRewrite = 0, foAppend = 1 };

// Open modes of TAuFileStream. fmCreate creates or truncates; the others open an existing file
// with the access in the low two bits. The sharing bits (4 to 7) are accepted and ignored:
// Linux has no mandatory share modes.
constexpr uint32_t fmCreate = 0xFFFF;
constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmShareExclusive = 0x0010;
constexpr uint32_t fmShareDenyWrite = 0x0020;
constexpr uint32_t fmShareDenyRead = 0x0030;
constexpr uint32_t fmShareDenyNone = 0x0040;

// Handlers of an output; every one is called on the GUI (main) thread with the sender.
using TOutputDoneEvent = std::function<void(TAuOutput* sender)>;
using TOutputProgressEvent = std::function<void(TAuOutput* sender)>;
using TThreadExceptionEvent = std::function<void(TAuOutput* sender)>;

// Encoding of a WAV file as the WAV input sees it (unit ACS_Wave).
enum TWavType { wtUnsupported = 0, wtPCM = 1, wtDVIADPCM = 2, wtMSADPCM = 3, wtACM = 4 };
