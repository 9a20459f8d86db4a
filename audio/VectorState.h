// Clears the upper halves of the AVX registers on the calling thread. Qt 6.4's string hash
// returns with them in use, and a thread started afterwards inherits that state; while it lasts,
// every SSE instruction of the encoders (libvorbis above all, about 40 % slower) waits on the
// upper halves. Callable from any thread; it does nothing on processors without AVX.
#pragma once

void ClearUpperVectorState();
