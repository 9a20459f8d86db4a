#include "codecs/CodecLibraries.h"
#include "codecs/FlacLibrary.h"
#include "codecs/LameLibrary.h"
#include "codecs/OggLibrary.h"
#include "codecs/VorbisEncLibrary.h"
#include "codecs/VorbisFileLibrary.h"
#include "codecs/VorbisLibrary.h"

#include <gtest/gtest.h>

namespace {

// Puts a library back as the program has it, whatever a test did to it.
struct TRestore {
    TCodecLibrary& Lib;
    bool WasLoaded;
    explicit TRestore(TCodecLibrary& lib) : Lib(lib), WasLoaded(lib.IsLoaded()) {}
    ~TRestore() {
        Lib.RestoreFileNames();
        if (WasLoaded)
            Lib.Load();
    }
};

TEST(CodecLibraryTest, EveryLibraryLoadsBySonameWithAllEntryPoints) {
    LoadCodecLibraries();
    EXPECT_TRUE(OggLibrary().IsLoaded()) << OggLibrary().LoadError().toStdString();
    EXPECT_TRUE(VorbisLibrary().IsLoaded()) << VorbisLibrary().LoadError().toStdString();
    EXPECT_TRUE(VorbisEncLibrary().IsLoaded()) << VorbisEncLibrary().LoadError().toStdString();
    EXPECT_TRUE(VorbisFileLibrary().IsLoaded()) << VorbisFileLibrary().LoadError().toStdString();
    EXPECT_TRUE(FlacLibrary().IsLoaded()) << FlacLibrary().LoadError().toStdString();
    EXPECT_NE(Ogg.ogg_stream_pageout, nullptr);
    EXPECT_NE(VorbisEnc.vorbis_encode_init, nullptr);
    EXPECT_NE(Flac.FLAC__stream_encoder_get_resolved_state_string, nullptr);
    EXPECT_EQ(FlacLibrary().FileName(), "libFLAC.so.12");

    ReleaseCodecLibraries();
    EXPECT_FALSE(FlacLibrary().IsLoaded());
    EXPECT_EQ(Flac.FLAC__stream_encoder_new, nullptr) << "the table is cleared on release";
    EXPECT_EQ(Vorbis.vorbis_info_init, nullptr);
    LoadCodecLibraries();
    EXPECT_TRUE(FlacLibrary().IsLoaded());
    EXPECT_NE(Flac.FLAC__stream_encoder_new, nullptr);
}

TEST(CodecLibraryTest, MissingFileOrEntryPointLeavesTheLibraryUnloaded) {
    TCodecLibrary& lame = LameLibrary();
    ASSERT_EQ(lame.Users(), 0);
    TRestore restore(lame);
    lame.Release();

    lame.SetFileNames({"libsondrel-missing.so.7"});
    EXPECT_FALSE(lame.Load());
    EXPECT_FALSE(lame.IsLoaded());
    EXPECT_EQ(lame.FailureText(), "libsondrel-missing.so.7 library could not be loaded.");
    EXPECT_TRUE(lame.LoadError().contains("libsondrel-missing.so.7"));

    // A real library that lacks LAME's entry points: opened, but it does not count as loaded.
    lame.SetFileNames({"libogg.so.0"});
    EXPECT_FALSE(lame.Load());
    EXPECT_FALSE(lame.IsLoaded());
    EXPECT_EQ(Lame.lame_init, nullptr);
    EXPECT_TRUE(lame.LoadError().contains("lame_")) << lame.LoadError().toStdString();

    // A later candidate stands in for a missing first one, as the older FLAC sonames do.
    lame.SetFileNames({"libsondrel-missing.so.7", "libmp3lame.so.0"});
    EXPECT_TRUE(lame.Load());
    EXPECT_NE(Lame.lame_encode_flush, nullptr);
    EXPECT_EQ(lame.FailureText(), "libsondrel-missing.so.7 library could not be loaded.");
    lame.Release();
}

TEST(CodecLibraryTest, LibraryStaysLoadedWhileItHasUsers) {
    TCodecLibrary& lame = LameLibrary();
    ASSERT_EQ(lame.Users(), 0);
    lame.Release();
    EXPECT_TRUE(lame.Acquire());
    EXPECT_TRUE(lame.Acquire());
    lame.Unacquire();
    EXPECT_TRUE(lame.IsLoaded()) << "one user is left";
    EXPECT_NE(Lame.lame_init, nullptr);
    lame.Unacquire();
    EXPECT_FALSE(lame.IsLoaded());
    EXPECT_EQ(Lame.lame_init, nullptr);
    lame.Unacquire(); // one too many is harmless
    EXPECT_EQ(lame.Users(), 0);
}

} // namespace
