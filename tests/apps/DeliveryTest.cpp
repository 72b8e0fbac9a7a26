// vantor master --target / --ceiling / --dither / --mono end to end. Every
// loudness and true peak is read from the written file by the tests' own
// meters (ReferenceMeters.h), never taken from the tool's report; the
// report's figures are checked against them too.
#include "ReferenceMeters.h"
#include "TestFolder.h"
#include "ToolRun.h"

#include <cmath>
#include <cstdlib>
#include <random>

namespace {

constexpr int kRate = 48000;

// The number after "KEY": in the JSON section that starts with SECTION;
// NaN when absent or null.
double JsonNumber(const std::string& sJson, const std::string& sSection, const std::string& sKey)
{
    const size_t nSection = sJson.find("\"" + sSection + "\": ");
    if (nSection == std::string::npos)
        return NAN;
    const size_t nKey = sJson.find("\"" + sKey + "\": ", nSection);
    if (nKey == std::string::npos)
        return NAN;
    const char* psz = sJson.c_str() + nKey + sKey.size() + 4;
    char* pszEnd = nullptr;
    const double f = std::strtod(psz, &pszEnd);
    return pszEnd == psz ? NAN : f;
}

SAudio Track(double fSeconds, int nChannels, const std::function<double(double t, int c)>& signal, int nRate = kRate)
{
    SAudio audio;
    audio.nRate = nRate;
    audio.nChannels = nChannels;
    const long long nFrames = static_cast<long long>(fSeconds * nRate);
    audio.samples.resize(static_cast<size_t>(nFrames * nChannels));
    for (long long i = 0; i < nFrames; ++i) {
        for (int c = 0; c < nChannels; ++c)
            audio.samples[static_cast<size_t>(i * nChannels + c)] = static_cast<float>(signal(double(i) / nRate, c));
    }
    return audio;
}

double Noise(uint32_t& nState)
{
    nState ^= nState << 13;
    nState ^= nState >> 17;
    nState ^= nState << 5;
    return nState / 4294967296.0 - 0.5;
}

// Five tracks of different character.
std::vector<std::pair<std::string, SAudio>> FiveTracks()
{
    std::vector<std::pair<std::string, SAudio>> tracks;
    uint32_t nState = 7;
    // A band: saw chord, kick every half second, noise hats.
    tracks.emplace_back("band", Track(12.0, 2, [&](double t, int c) {
        double fChord = 0.0;
        for (const double f : { 110.0, 138.6, 164.8 })
            for (int h = 1; h <= 8; ++h)
                fChord += std::sin(2.0 * M_PI * f * h * t + c) / h;
        const double fBeat = std::fmod(t, 0.5);
        const double fKick = std::exp(-fBeat * 20.0) * std::sin(2.0 * M_PI * 55.0 * fBeat);
        const double fHat = std::fmod(t + 0.25, 0.5) < 0.03 ? Noise(nState) : 0.0;
        return 0.04 * fChord + 0.3 * fKick + 0.2 * fHat;
    }));
    // A quiet solo instrument that swells and fades.
    tracks.emplace_back("quiet", Track(12.0, 2, [&](double t, int) {
        const double fSwell = 0.5 - 0.45 * std::cos(2.0 * M_PI * t / 4.0);
        return 0.03 * fSwell * (std::sin(2.0 * M_PI * 440.0 * t) + 0.3 * std::sin(2.0 * M_PI * 1320.0 * t));
    }));
    // A mix already clipped hard at full scale, about -7 LUFS: it has to
    // come down.
    tracks.emplace_back("brickwall", Track(12.0, 2, [&](double t, int c) {
        const double f
            = std::sin(2.0 * M_PI * 97.0 * t) + 0.7 * std::sin(2.0 * M_PI * 1234.0 * t + c) + 0.8 * Noise(nState);
        return std::clamp(0.9 * f, -1.0, 1.0) * (0.7 + 0.3 * std::sin(t));
    }));
    // Bass and sub only, in mono.
    tracks.emplace_back("bass", Track(12.0, 1, [&](double t, int) {
        return 0.25 * std::sin(2.0 * M_PI * 45.0 * t) + 0.15 * std::sin(2.0 * M_PI * 90.0 * t + 0.5);
    }));
    // Long enough for the excerpts: bright clicks and a high tone over a
    // quiet bed, with a loud last minute the excerpts under-represent.
    tracks.emplace_back("bright", Track(75.0, 2, [&](double t, int) {
        const double fClick = std::fmod(t, 0.37) < 0.0005 ? 0.8 : 0.0;
        const double fLevel = t > 50.0 ? 0.3 : 0.05;
        return fClick + fLevel * std::sin(2.0 * M_PI * 17000.0 * t) + 0.02 * Noise(nState);
    }));
    return tracks;
}

TEST(Delivery, FiveTracksLandOnTheTargetUnderTheCeiling)
{
    CTestFolder folder;
    std::vector<std::string> args
        = { "master", "--target", "-14", "--ceiling", "-1", "--report", "json", "-d", folder.Path("out") };
    ASSERT_EQ(::mkdir(folder.Path("out").c_str(), 0755), 0);
    const auto tracks = FiveTracks();
    for (const auto& track : tracks) {
        ASSERT_TRUE(WriteAudio(folder.Path(track.first + ".wav"), track.second));
        args.push_back(folder.Path(track.first + ".wav"));
    }
    const SToolRun run = RunTool(folder.Root(), args);
    ASSERT_EQ(run.nExitCode, 0) << run.sErr << run.sOut;
    for (const auto& track : tracks) {
        SCOPED_TRACE(track.first);
        const SAudio out = ReadAudio(folder.Path("out/" + track.first + ".wav"));
        ASSERT_EQ(out.samples.size(), track.second.samples.size());
        const double fLoudness = reference::Loudness48k(out.samples, out.nChannels);
        const double fPeak = reference::PeakDb(out.samples, out.nChannels, 3.0);
        std::printf("  %-10s %6.2f LUFS (target -14), true peak %6.2f dBTP (ceiling -1)\n", track.first.c_str(),
            fLoudness, fPeak);
        EXPECT_NEAR(fLoudness, -14.0, 0.3);
        // The reference's own error at 16 times is about 0.03 dB.
        EXPECT_LE(fPeak, -1.0 + 0.03);
        // What the report says about the file agrees with the references.
        const std::string sJson = run.sOut.substr(run.sOut.find(track.first + ".wav\", \"output\""));
        EXPECT_NEAR(JsonNumber(sJson, "after", "integrated_lufs"), fLoudness, 0.1);
        EXPECT_NEAR(JsonNumber(sJson, "after", "true_peak_dbtp"), fPeak, 0.1);
        EXPECT_LE(JsonNumber(sJson, "after", "true_peak_dbtp"), -1.0);
    }
}

TEST(Delivery, TargetsOutOfReachAndSilenceFinishWithWarnings)
{
    CTestFolder folder;
    // The equaliser alone cannot lift a tone at -43 dBFS to -14 LUFS (its
    // output gain ends at +18 dB): the closest is written and reported, and
    // the run ends with status 3.
    const SAudio quiet = Track(8.0, 2, [](double t, int) { return 0.01 * std::sin(2.0 * M_PI * 300.0 * t); });
    ASSERT_TRUE(WriteAudio(folder.Path("quiet.wav"), quiet));
    SToolRun run = RunTool(folder.Root(),
        { "master", "--mode", "eq", "--target", "-14", "--report", "json", folder.Path("quiet.wav"),
            folder.Path("loud.wav") });
    EXPECT_EQ(run.nExitCode, 3) << run.sErr;
    EXPECT_NE(run.sErr.find("not reached"), std::string::npos) << run.sErr;
    EXPECT_NE(run.sOut.find("\"reached\": false"), std::string::npos);
    const SAudio loud = ReadAudio(folder.Path("loud.wav"));
    ASSERT_EQ(loud.samples.size(), quiet.samples.size());
    const double fClosest = reference::Loudness48k(loud.samples, 2);
    EXPECT_LT(fClosest, -14.3);
    EXPECT_NE(run.sErr.find("EQ Output 0.0 dB -> 18.0 dB"), std::string::npos) << run.sErr;
    EXPECT_NEAR(JsonNumber(run.sOut, "after", "integrated_lufs"), fClosest, 0.1);
    EXPECT_LE(reference::PeakDb(loud.samples, 2, 3.0), -1.0 + 0.03);

    // Digital silence: left as it is, with a warning.
    SAudio silence = Track(3.0, 2, [](double, int) { return 0.0; });
    silence.nFormat = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    ASSERT_TRUE(WriteAudio(folder.Path("silence.wav"), silence));
    run = RunTool(folder.Root(), { "master", "--target", "-14", folder.Path("silence.wav"), folder.Path("still.wav") });
    EXPECT_EQ(run.nExitCode, 3);
    EXPECT_NE(run.sErr.find("no loudness to measure"), std::string::npos) << run.sErr;
    EXPECT_EQ(ReadAudio(folder.Path("still.wav")).samples, silence.samples);
    EXPECT_NE(run.sOut.find("-inf"), std::string::npos) << run.sOut;

    // Non-finite and extreme input never sends the search round in circles.
    uint32_t nState = 3;
    SAudio wild = Track(4.0, 2, [&](double t, int) { return 0.3 * Noise(nState) + std::sin(t); });
    wild.samples[1000] = NAN;
    wild.samples[5001] = INFINITY;
    wild.samples[9000] = -INFINITY;
    wild.samples[20000] = 3e38f;
    ASSERT_TRUE(WriteAudio(folder.Path("wild.wav"), wild));
    run = RunTool(folder.Root(),
        { "master", "--target", "-14", "--report", "json", folder.Path("wild.wav"), folder.Path("tame.wav") });
    EXPECT_TRUE(run.nExitCode == 0 || run.nExitCode == 3) << run.sErr;
    const SAudio tame = ReadAudio(folder.Path("tame.wav"));
    ASSERT_EQ(tame.samples.size(), wild.samples.size());
    for (const float f : tame.samples)
        ASSERT_TRUE(std::isfinite(f));
    EXPECT_TRUE(std::isfinite(JsonNumber(run.sOut, "target", "drive_db")));
}

TEST(Delivery, TheCeilingHoldsInEveryFormatAndLeavesQuietAudioAlone)
{
    CTestFolder folder;
    // Hot material, over full scale and with its peaks between the samples:
    // tones near a quarter and near 0.45 of the rate under a slow swell.
    auto Hot = [&](int nRate) {
        return Track(
            1.0, 2,
            [&](double t, int c) {
                const double f = std::sin(2.0 * M_PI * 0.2512 * nRate * t + c)
                    + 0.8 * std::sin(2.0 * M_PI * 0.4413 * nRate * t)
                    + 0.6 * std::sin(2.0 * M_PI * 0.0731 * nRate * t + 1.0);
                return 0.9 * f * (0.8 + 0.2 * std::sin(2.0 * M_PI * 3.0 * t));
            },
            nRate);
    };
    const struct {
        const char* pszName;
        int nRate;
        const char* pszBits; // nullptr: the container's default
    } kCases[] = { { "a.wav", 44100, "16" }, { "b.wav", 96000, "24" }, { "c.flac", 48000, "16" },
        { "d.wav", 192000, "32f" }, { "e.ogg", 44100, nullptr } };
    for (const auto& test : kCases) {
        SCOPED_TRACE(test.pszName);
        ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Hot(test.nRate)));
        std::vector<std::string> args = { "master", "-f", "--ceiling", "-1.5", "--set", "Global Bypass=on" };
        if (test.pszBits != nullptr) {
            args.push_back("--bits");
            args.push_back(test.pszBits);
        }
        args.push_back(folder.Path("in.wav"));
        args.push_back(folder.Path(test.pszName));
        const SToolRun run = RunTool(folder.Root(), args);
        ASSERT_EQ(run.nExitCode, 0) << run.sErr;
        const SAudio out = ReadAudio(folder.Path(test.pszName));
        EXPECT_LE(reference::PeakDb(out.samples, 2, 3.0), -1.5 + 0.03);
        // Limited, not turned down (Vorbis drops the 19.5 kHz tone).
        if (std::string(test.pszName) != "e.ogg") {
            EXPECT_GT(reference::PeakDb(out.samples, 2, 3.0), -2.5);
        }
    }

    // Under the ceiling already: not one sample changes.
    const SAudio calm = Track(3.0, 2, [](double t, int c) { return 0.3 * std::sin(2.0 * M_PI * (200.0 + c) * t); });
    ASSERT_TRUE(WriteAudio(folder.Path("calm.wav"), calm));
    ASSERT_EQ(
        RunTool(folder.Root(), { "master", "-q", folder.Path("calm.wav"), folder.Path("plain.wav") }).nExitCode, 0);
    ASSERT_EQ(RunTool(folder.Root(),
                  { "master", "-q", "--ceiling", "-1", folder.Path("calm.wav"), folder.Path("ceiling.wav") })
                  .nExitCode,
        0);
    EXPECT_EQ(ReadAudio(folder.Path("ceiling.wav")).samples, ReadAudio(folder.Path("plain.wav")).samples);
}

TEST(Delivery, MonoSoundsAsTheSameAudioInStereoUnlessAskedForTheNativePath)
{
    CTestFolder folder;
    uint32_t nState = 5;
    const SAudio mono = Track(4.0, 1, [&](double t, int) {
        return 0.4 * std::sin(2.0 * M_PI * 1000.0 * t) * (0.6 + 0.4 * std::sin(t * 3.0)) + 0.05 * Noise(nState);
    });
    SAudio stereo = mono;
    stereo.nChannels = 2;
    stereo.samples.clear();
    for (const float f : mono.samples) {
        stereo.samples.push_back(f);
        stereo.samples.push_back(f);
    }
    ASSERT_TRUE(WriteAudio(folder.Path("mono.wav"), mono));
    ASSERT_TRUE(WriteAudio(folder.Path("stereo.wav"), stereo));
    for (const char* pszName : { "mono", "stereo" })
        ASSERT_EQ(RunTool(folder.Root(),
                      { "master", "-q", "--set", "Compressor Input Drive=12",
                          folder.Path(std::string(pszName) + ".wav"), folder.Path(std::string(pszName) + "-out.wav") })
                      .nExitCode,
            0);
    const SAudio monoOut = ReadAudio(folder.Path("mono-out.wav"));
    const SAudio stereoOut = ReadAudio(folder.Path("stereo-out.wav"));
    ASSERT_EQ(monoOut.nChannels, 1);
    ASSERT_EQ(monoOut.samples.size() * 2, stereoOut.samples.size());
    for (size_t i = 0; i < monoOut.samples.size(); ++i)
        ASSERT_EQ(monoOut.samples[i], stereoOut.samples[2 * i]) << i;

    // The process's own one-channel path is there on request, and differs.
    ASSERT_EQ(RunTool(folder.Root(),
                  { "master", "-q", "--mono", "native", "--set", "Compressor Input Drive=12", folder.Path("mono.wav"),
                      folder.Path("native.wav") })
                  .nExitCode,
        0);
    EXPECT_NE(ReadAudio(folder.Path("native.wav")).samples, monoOut.samples);
}

TEST(Delivery, SilenceStaysSilentAndDitherIsOnlyWhereItIsNeeded)
{
    CTestFolder folder;
    // Silence, then a tone: the chain's output is dithered where the tone
    // plays and digital silence elsewhere.
    SAudio in = Track(3.0, 2, [](double t, int) { return t < 1.0 ? 0.0 : 0.2 * std::sin(2.0 * M_PI * 440.0 * t); });
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), in));
    ASSERT_EQ(
        RunTool(folder.Root(),
            { "master", "-q", "--bits", "16", "--dither", "shaped", folder.Path("in.wav"), folder.Path("out.wav") })
            .nExitCode,
        0);
    const SAudio out = ReadAudio(folder.Path("out.wav"));
    for (size_t i = 0; i < static_cast<size_t>(0.9 * kRate) * 2; ++i)
        ASSERT_EQ(out.samples[i], 0.0f) << i;
    EXPECT_EQ(
        RunTool(folder.Root(), { "master", "--dither", "loud", folder.Path("in.wav"), folder.Path("x.wav") }).nExitCode,
        1);
}

TEST(Delivery, AnAlbumMeetsTheTargetAsAWholeAndKeepsItsBalance)
{
    CTestFolder folder;
    ASSERT_EQ(::mkdir(folder.Path("out").c_str(), 0755), 0);
    // One song and an interlude 8 dB quieter.
    const SAudio song = FiveTracks().front().second;
    SAudio interlude = song;
    for (float& f : interlude.samples)
        f *= static_cast<float>(std::pow(10.0, -8.0 / 20.0));
    ASSERT_TRUE(WriteAudio(folder.Path("song.wav"), song));
    ASSERT_TRUE(WriteAudio(folder.Path("interlude.wav"), interlude));
    const SToolRun run = RunTool(folder.Root(),
        { "master", "--album", "--target", "-16", "--report", "json", "-d", folder.Path("out"), folder.Path("song.wav"),
            folder.Path("interlude.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    const SAudio songOut = ReadAudio(folder.Path("out/song.wav"));
    const SAudio interludeOut = ReadAudio(folder.Path("out/interlude.wav"));
    std::vector<float> both = songOut.samples;
    both.insert(both.end(), interludeOut.samples.begin(), interludeOut.samples.end());
    EXPECT_NEAR(reference::Loudness48k(both, 2), -16.0, 0.3);
    const double fBalance
        = reference::Loudness48k(songOut.samples, 2) - reference::Loudness48k(interludeOut.samples, 2);
    EXPECT_GT(fBalance, 4.0);
    EXPECT_LE(fBalance, 8.5);
    EXPECT_NE(run.sOut.find("\"album\": true"), std::string::npos);

    EXPECT_EQ(
        RunTool(folder.Root(), { "master", "--album", "-d", folder.Path("out"), folder.Path("song.wav") }).nExitCode,
        1);
}

TEST(Analysis, LoudestMomentsAndPeakToLoudnessRatio)
{
    CTestFolder folder;
    // Quiet, a loud second, quiet again: the momentary and short-term
    // maxima see the burst, the integrated loudness much less of it.
    const SAudio burst = Track(10.0, 2, [](double t, int c) {
        const double fLevel = t > 4.0 && t < 5.0 ? 0.5 : 0.02;
        return fLevel * std::sin(2.0 * M_PI * (500.0 + 300.0 * c) * t);
    });
    ASSERT_TRUE(WriteAudio(folder.Path("burst.wav"), burst));
    SToolRun run = RunTool(folder.Root(), { "master", "--analyze", "--report", "json", folder.Path("burst.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    const double fMomentary = reference::MaxWindow48k(burst.samples, 2, 4);
    const double fShortTerm = reference::MaxWindow48k(burst.samples, 2, 30);
    EXPECT_NEAR(JsonNumber(run.sOut, "before", "max_momentary_lufs"), fMomentary, 0.1);
    EXPECT_NEAR(JsonNumber(run.sOut, "before", "max_short_term_lufs"), fShortTerm, 0.1);
    EXPECT_NEAR(fMomentary - fShortTerm, 10.0 * std::log10(3.0), 0.3); // one second of three
    const double fPlr = reference::PeakDb(burst.samples, 2, 3.0) - reference::Loudness48k(burst.samples, 2);
    EXPECT_NEAR(JsonNumber(run.sOut, "before", "plr_db"), fPlr, 0.1);

    // Silence: -inf in the text, null in JSON.
    ASSERT_TRUE(WriteAudio(folder.Path("silence.wav"), Track(2.0, 2, [](double, int) { return 0.0; })));
    run = RunTool(folder.Root(), { "master", "--analyze", folder.Path("silence.wav") });
    EXPECT_NE(run.sOut.find("Max momentary           -inf"), std::string::npos) << run.sOut;
    EXPECT_NE(run.sOut.find("PLR                     -inf"), std::string::npos) << run.sOut;
    run = RunTool(folder.Root(), { "master", "--analyze", "--report", "json", folder.Path("silence.wav") });
    EXPECT_NE(run.sOut.find("\"max_short_term_lufs\": null, \"plr_db\": null"), std::string::npos) << run.sOut;
}

} // namespace
