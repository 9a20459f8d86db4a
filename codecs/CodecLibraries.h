// Loading of the codec libraries that stay loaded for the whole program (libogg, libvorbis,
// libvorbisenc, libvorbisfile, libFLAC). The program calls LoadCodecLibraries at start and
// ReleaseCodecLibraries at its end, on the GUI (main) thread, while no output exists. LAME and
// libopusenc are not among them: MP3 and Opus outputs load theirs while any of them exists.
#pragma once

// Tries every library once; a library that is missing only makes its output refuse to be
// constructed, so the program still runs without it.
void LoadCodecLibraries();
void ReleaseCodecLibraries();
