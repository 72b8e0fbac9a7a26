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
                           "--set-tag='MY_NOTE=mastered twice' --import-picture-from='3|image/jpeg|Front|1x1x24|" +
                           folder.Path("cover.jpg") + "' " + sInput)
                              .c_str()),
              0);
    const char* const kTags[] = {"TITLE=Song", "ISRC=GBAYE0000001", "LABEL=Tiny Records", "MY_NOTE=mastered twice"};

    SToolOptions fromPipe;
    fromPipe.sStdin = folder.Path("in.flac");
    ASSERT_EQ(RunTool(folder.Root(), {"master", "-q", folder.Path("in.flac"), folder.Path("out.flac")}).nExitCode, 0);
    ASSERT_EQ(RunTool(folder.Root(), {"master", "-q", "-", folder.Path("piped.flac")}, fromPipe).nExitCode, 0);
    for (const char* pszName : {"out.flac", "piped.flac"}) {
        const std::string sPath = "'" + folder.Path(pszName) + "'";
        const std::string sTags = Shell("metaflac --export-tags-to=- " + sPath);
        for (const char* pszTag : kTags)
            EXPECT_NE(sTags.find(pszTag), std::string::npos) << pszName << ": " << sTags;
        const std::string sPictures = Shell("metaflac --list --block-type=PICTURE " + sPath);
        EXPECT_NE(sPictures.find("MIME type: image/jpeg"), std::string::npos) << sPictures;
        EXPECT_NE(sPictures.find("description: Front"), std::string::npos) << sPictures;
    }

    ASSERT_EQ(RunTool(folder.Root(), {"master", "-q", folder.Path("in.flac"), folder.Path("out.ogg")}).nExitCode, 0);
    const std::string sComments = Shell("vorbiscomment -l '" + folder.Path("out.ogg") + "'");
    for (const char* pszTag : kTags)
        EXPECT_NE(sComments.find(pszTag), std::string::npos) << sComments;
    EXPECT_NE(sComments.find("METADATA_BLOCK_PICTURE="), std::string::npos);

    // WAV and AIFF carry the texts (RIFF INFO and ID3); the audio still reads whole.
    for (const char* pszName : {"out.wav", "out.aiff"}) {
        ASSERT_EQ(RunTool(folder.Root(), {"master", "-q", folder.Path("in.flac"), folder.Path(pszName)}).nExitCode, 0);
        const std::string sBytes = ReadText(folder.Path(pszName));
        EXPECT_NE(sBytes.find("GBAYE0000001"), std::string::npos) << pszName;
        EXPECT_NE(sBytes.find("Tiny Records"), std::string::npos) << pszName;
        EXPECT_EQ(ReadAudio(folder.Path(pszName)).Frames(), 44100) << pszName;
    }
}

} // namespace
