// Tags set by an independent tool (metaflac) come through on every output
// format, read back by independent tools (metaflac, vorbiscomment).
#include "TestFolder.h"
#include "ToolRun.h"

#include <cstdio>
#include <memory>

namespace {

std::string Shell(const std::string& sCommand)
{
    std::string sOut;
    std::unique_ptr<FILE, int (*)(FILE*)> pPipe(::popen(sCommand.c_str(), "r"), ::pclose);
    if (!pPipe)
        return sOut;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof(buffer), pPipe.get()))
        sOut.append(buffer, n);
    return sOut;
}

TEST(Tags, EveryTagAndTheCoverComeThroughOnEveryFormat)
{
    CTestFolder folder;
    SAudio audio = Noise(44100);
    audio.nFormat = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    ASSERT_TRUE(WriteAudio(folder.Path("in.flac"), audio));
    // A tiny cover: its bytes only have to arrive unchanged.
    {
        std::ofstream cover(folder.Path("cover.jpg"), std::ios::binary);
        cover << "\xff\xd8\xff\xe0 not much of a picture, but a picture's bytes \xff\xd9";
    }
    const std::string sInput = "'" + folder.Path("in.flac") + "'";
    ASSERT_EQ(std::system(("metaflac --set-tag=TITLE=Song --set-tag=ISRC=GBAYE0000001 --set-tag='LABEL=Tiny Records' "
                           "--set-tag='MY_NOTE=mastered twice' --import-picture-from='3|image/jpeg|Front|1x1x24|"
                  + folder.Path("cover.jpg") + "' " + sInput)
                              .c_str()),
        0);
    const char* const kTags[] = { "TITLE=Song", "ISRC=GBAYE0000001", "LABEL=Tiny Records", "MY_NOTE=mastered twice" };

    SToolOptions fromPipe;
    fromPipe.sStdin = folder.Path("in.flac");
    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.flac"), folder.Path("out.flac") }).nExitCode, 0);
    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", "-", folder.Path("piped.flac") }, fromPipe).nExitCode, 0);
    for (const char* pszName : { "out.flac", "piped.flac" }) {
        const std::string sPath = "'" + folder.Path(pszName) + "'";
        const std::string sTags = Shell("metaflac --export-tags-to=- " + sPath);
        for (const char* pszTag : kTags)
            EXPECT_NE(sTags.find(pszTag), std::string::npos) << pszName << ": " << sTags;
        const std::string sPictures = Shell("metaflac --list --block-type=PICTURE " + sPath);
        EXPECT_NE(sPictures.find("MIME type: image/jpeg"), std::string::npos) << sPictures;
        EXPECT_NE(sPictures.find("description: Front"), std::string::npos) << sPictures;
    }

    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.flac"), folder.Path("out.ogg") }).nExitCode, 0);
    const std::string sComments = Shell("vorbiscomment -l '" + folder.Path("out.ogg") + "'");
    for (const char* pszTag : kTags)
        EXPECT_NE(sComments.find(pszTag), std::string::npos) << sComments;
    EXPECT_NE(sComments.find("METADATA_BLOCK_PICTURE="), std::string::npos);

    // WAV and AIFF carry the texts (RIFF INFO and ID3); the audio still reads whole.
    for (const char* pszName : { "out.wav", "out.aiff" }) {
        ASSERT_EQ(
            RunTool(folder.Root(), { "master", "-q", folder.Path("in.flac"), folder.Path(pszName) }).nExitCode, 0);
        const std::string sBytes = ReadText(folder.Path(pszName));
        EXPECT_NE(sBytes.find("GBAYE0000001"), std::string::npos) << pszName;
        EXPECT_NE(sBytes.find("Tiny Records"), std::string::npos) << pszName;
        EXPECT_EQ(ReadAudio(folder.Path(pszName)).Frames(), 44100) << pszName;
    }
}

} // namespace

namespace {

TEST(Tags, ABroadcastWaveGetsTheLoudnessOfWhatWasWritten)
{
    CTestFolder folder;
    SF_INFO info {};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* pFile = sf_open(folder.Path("in.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(pFile, nullptr);
    SF_BROADCAST_INFO broadcast {};
    std::snprintf(broadcast.description, sizeof(broadcast.description), "%s", "Final mix");
    std::snprintf(broadcast.originator, sizeof(broadcast.originator), "%s", "Studio B");
    ASSERT_EQ(sf_command(pFile, SFC_SET_BROADCAST_INFO, &broadcast, sizeof(broadcast)), SF_TRUE);
    const SAudio noise = Noise(3 * 48000);
    sf_writef_float(pFile, noise.samples.data(), noise.Frames());
    sf_close(pFile);

    const SToolRun run
        = RunTool(folder.Root(), { "master", "--report", "json", folder.Path("in.wav"), folder.Path("out.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    // The "after" figures of the report, in hundredths, in the bext chunk's
    // loudness fields (read here from the bytes, by the published layout).
    const std::string sBytes = ReadText(folder.Path("out.wav"));
    const size_t nBext = sBytes.find("bext");
    ASSERT_NE(nBext, std::string::npos);
    auto Field = [&](size_t nOffset) {
        return static_cast<int16_t>(static_cast<unsigned char>(sBytes[nBext + 8 + nOffset])
            | static_cast<unsigned char>(sBytes[nBext + 9 + nOffset]) << 8);
    };
    EXPECT_EQ(sBytes.substr(nBext + 8, 9), "Final mix");
    EXPECT_EQ(Field(346), 2) << "version 2: the loudness fields are valid";
    const std::string sAfterKey = "\"after\": {\"integrated_lufs\": ", sPeakKey = "\"true_peak_dbtp\": ";
    const size_t nAfter = run.sOut.find(sAfterKey);
    ASSERT_NE(nAfter, std::string::npos) << run.sOut;
    const double fIntegrated = std::atof(run.sOut.c_str() + nAfter + sAfterKey.size());
    const size_t nPeak = run.sOut.find(sPeakKey, nAfter);
    const double fTruePeak = std::atof(run.sOut.c_str() + nPeak + sPeakKey.size());
    EXPECT_NEAR(Field(412) / 100.0, fIntegrated, 0.006);
    EXPECT_NEAR(Field(416) / 100.0, fTruePeak, 0.006);
    EXPECT_EQ(Field(418), 0x7fff) << "no momentary maximum measured";
}

} // namespace
