/* A stand-in for libmp3lame for the tests: every entry point is the real library's (it is a
 * dependency of this module, so a lookup through this module's handle finds it), except the
 * encode call, which fails from its fourth call on as LAME does when its analysis breaks down.
 * Lets the tests see how an MP3 output handles an encoding error, which the real library
 * cannot be made to give. */
#include <dlfcn.h>
#include <lame/lame.h>

typedef int (*encode_fn)(lame_global_flags*, short int[], int, unsigned char*, int);

int lame_encode_buffer_interleaved(lame_global_flags* gfp, short int pcm[], int num_samples,
                                   unsigned char* mp3buf, int mp3buf_size) {
    static int calls = 0;
    static encode_fn real = 0;
    if (!real) {
        void* lib = dlopen("libmp3lame.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return -3;
        real = (encode_fn)dlsym(lib, "lame_encode_buffer_interleaved");
        if (!real)
            return -3;
    }
    if (++calls > 3)
        return -4;
    return real(gfp, pcm, num_samples, mp3buf, mp3buf_size);
}
