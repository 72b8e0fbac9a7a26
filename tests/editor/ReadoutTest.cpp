// Every value text of the four module panels against a table typed by hand
// from the written panel tables (parameter, text control, display decimals,
// width, shown decimals, unit steps): at the minimum, the maximum, the default
// and a few values in between chosen to hit unit switches, rounding and the
// width limit. The command-line tool's texts come from the same table and are
// checked against the same lines.
#include "EditorRig.h"

#include "processor/ParameterDisplay.h"
#include "toolkit/epiAlphaControl_text.h"

namespace {

struct SReadout {
    int nPanel;
    int nText; // text control
    int nParameter;
    int nValue; // stored value
    const char* pszText;
};

// clang-format off
const SReadout kReadouts[] = {
    // Equaliser: frequencies (0, 5, 1) Hz/KHz, gains (1, 5, 1) dB.
    {1, 28, 3, 15, "Off"}, {1, 28, 3, 5300, "5.3 KHz"}, {1, 28, 3, 1250, "1.3 KHz"},
    {1, 28, 3, 1000, "1000 Hz"}, {1, 28, 3, 999, "999 Hz"},
    {1, 29, 5, 30, "30 Hz"}, {1, 29, 5, 800, "800 Hz"}, {1, 29, 5, 75, "75 Hz"}, {1, 29, 5, 437, "437 Hz"},
    {1, 34, 6, -150, "-15 dB"}, {1, 34, 6, 150, "15 dB"}, {1, 34, 6, 0, "0 dB"}, {1, 34, 6, -35, "-3.5 dB"},
    {1, 34, 6, 123, "12.3 dB"},
    {1, 30, 8, 33, "33 Hz"}, {1, 30, 8, 5400, "5.4 KHz"}, {1, 30, 8, 430, "430 Hz"}, {1, 30, 8, 2360, "2.4 KHz"},
    {1, 35, 9, -150, "-15 dB"}, {1, 35, 9, 150, "15 dB"}, {1, 35, 9, 0, "0 dB"}, {1, 35, 9, 77, "7.7 dB"},
    {1, 31, 12, 200, "200 Hz"}, {1, 31, 12, 17500, "17.5 KHz"}, {1, 31, 12, 1900, "1.9 KHz"},
    {1, 31, 12, 12000, "12 KHz"},
    {1, 36, 13, -150, "-15 dB"}, {1, 36, 13, 150, "15 dB"}, {1, 36, 13, 0, "0 dB"}, {1, 36, 13, -101, "-10.1 dB"},
    {1, 32, 16, 750, "750 Hz"}, {1, 32, 16, 8300, "8.3 KHz"}, {1, 32, 16, 3500, "3.5 KHz"},
    {1, 32, 16, 1001, "1 KHz"},
    {1, 37, 17, -150, "-15 dB"}, {1, 37, 17, 150, "15 dB"}, {1, 37, 17, 0, "0 dB"}, {1, 37, 17, 5, "0.5 dB"},
    {1, 33, 19, 200, "200 Hz"}, {1, 33, 19, 19201, "Off"}, {1, 33, 19, 19200, "19.2 KHz"},
    {1, 39, 21, -180, "-18 dB"}, {1, 39, 21, 180, "18 dB"}, {1, 39, 21, 0, "0 dB"}, {1, 39, 21, -1, "-0.1 dB"},

    // Compressor.
    {2, 17, 23, 32, "32 Hz"}, {2, 17, 23, 218, "218 Hz"}, {2, 17, 23, 96, "96 Hz"}, {2, 17, 23, 150, "150 Hz"},
    // Times in tenths of a millisecond, (1, 5, 1) ms/s.
    {2, 18, 24, 120, "12 ms"}, {2, 18, 24, 820, "82 ms"}, {2, 18, 24, 320, "32 ms"}, {2, 18, 24, 457, "45.7 ms"},
    {2, 19, 25, 290, "29 ms"}, {2, 19, 25, 14000, "1.4 s"}, {2, 19, 25, 4300, "430 ms"},
    {2, 19, 25, 9999, "999.9 ms"}, {2, 19, 25, 10005, "1 s"},
    // The ratio is a bare number with two decimals (2, 4, 2).
    {2, 21, 26, 150, "1.50"}, {2, 21, 26, 468, "4.68"}, {2, 21, 26, 310, "3.10"}, {2, 21, 26, 207, "2.07"},
    // The stereo enhancer is a level (1, 4, 1) dB.
    {2, 20, 27, -50, "-5 dB"}, {2, 20, 27, 50, "5 dB"}, {2, 20, 27, 0, "0 dB"}, {2, 20, 27, -25, "-2.5 dB"},
    // Width 4 leaves no room for a decimal after "-12".
    {2, 22, 28, -150, "-15 dB"}, {2, 22, 28, 150, "15 dB"}, {2, 22, 28, -33, "-3.3 dB"},
    {2, 22, 28, -125, "-12 dB"}, {2, 22, 28, 125, "12.5 dB"},
    {2, 23, 29, -180, "-18 dB"}, {2, 23, 29, 180, "18 dB"}, {2, 23, 29, 0, "0 dB"}, {2, 23, 29, -179, "-17 dB"},

    // Limiter.
    {3, 23, 31, 800, "80 ms"}, {3, 23, 31, 15000, "1.5 s"}, {3, 23, 31, 3490, "349 ms"},
    {3, 23, 31, 12345, "1.2 s"},
    {3, 24, 32, -90, "-9 dB"}, {3, 24, 32, 160, "16 dB"}, {3, 24, 32, 0, "0 dB"}, {3, 24, 32, -45, "-4.5 dB"},
    {3, 22, 33, -53, "-5.3 dB"}, {3, 22, 33, 53, "5.3 dB"}, {3, 22, 33, 0, "0 dB"}, {3, 22, 33, 17, "1.7 dB"},
    {3, 25, 34, -180, "-18 dB"}, {3, 25, 34, 180, "18 dB"}, {3, 25, 34, 0, "0 dB"}, {3, 25, 34, -179, "-17.9 dB"},
    {3, 32, 35, 30, "30 Hz"}, {3, 32, 35, 1900, "1.9 KHz"}, {3, 32, 35, 210, "210 Hz"}, {3, 32, 35, 1234, "1.2 KHz"},
    {3, 33, 36, 1000, "1000 Hz"}, {3, 33, 36, 20400, "20.4 KHz"}, {3, 33, 36, 7800, "7.8 KHz"},
    {3, 33, 36, 15060, "15.1 KHz"},
    {3, 26, 37, -120, "-12 dB"}, {3, 26, 37, 120, "12 dB"}, {3, 26, 37, 0, "0 dB"}, {3, 26, 37, -119, "-11 dB"},
    {3, 26, 37, 95, "9.5 dB"},
    {3, 29, 38, -180, "-18 dB"}, {3, 29, 38, 180, "18 dB"}, {3, 29, 38, 0, "0 dB"}, {3, 29, 38, 33, "3.3 dB"},
    {3, 27, 39, -120, "-12 dB"}, {3, 27, 39, 120, "12 dB"}, {3, 27, 39, 0, "0 dB"}, {3, 27, 39, -5, "-0.5 dB"},
    {3, 30, 40, -180, "-18 dB"}, {3, 30, 40, 180, "18 dB"}, {3, 30, 40, 0, "0 dB"}, {3, 30, 40, 101, "10.1 dB"},
    {3, 28, 41, -120, "-12 dB"}, {3, 28, 41, 120, "12 dB"}, {3, 28, 41, 0, "0 dB"}, {3, 28, 41, -60, "-6 dB"},
    {3, 31, 42, -180, "-18 dB"}, {3, 31, 42, 180, "18 dB"}, {3, 31, 42, 0, "0 dB"}, {3, 31, 42, -99, "-9.9 dB"},

    // Clipper, (1, 5, 1) dB.
    {4, 15, 44, -150, "-15 dB"}, {4, 15, 44, 150, "15 dB"}, {4, 15, 44, 0, "0 dB"}, {4, 15, 44, 64, "6.4 dB"},
    {4, 16, 45, -120, "-12 dB"}, {4, 16, 45, 0, "0 dB"}, {4, 16, 45, -63, "-6.3 dB"}, {4, 16, 45, -1, "-0.1 dB"},
    {4, 17, 46, -600, "-60 dB"}, {4, 17, 46, 60, "6 dB"}, {4, 17, 46, 0, "0 dB"}, {4, 17, 46, -455, "-45.5 dB"},
};
// clang-format on

// Text control -> parameter of every panel, as the written tables give them.
const int kTextControls[][3] = {
    { 1, 28, 3 },
    { 1, 29, 5 },
    { 1, 34, 6 },
    { 1, 30, 8 },
    { 1, 35, 9 },
    { 1, 31, 12 },
    { 1, 36, 13 },
    { 1, 32, 16 },
    { 1, 37, 17 },
    { 1, 33, 19 },
    { 1, 39, 21 },
    { 2, 17, 23 },
    { 2, 18, 24 },
    { 2, 19, 25 },
    { 2, 21, 26 },
    { 2, 20, 27 },
    { 2, 22, 28 },
    { 2, 23, 29 },
    { 3, 23, 31 },
    { 3, 24, 32 },
    { 3, 22, 33 },
    { 3, 25, 34 },
    { 3, 32, 35 },
    { 3, 33, 36 },
    { 3, 26, 37 },
    { 3, 29, 38 },
    { 3, 27, 39 },
    { 3, 30, 40 },
    { 3, 28, 41 },
    { 3, 31, 42 },
    { 4, 15, 44 },
    { 4, 16, 45 },
    { 4, 17, 46 },
};

TEST(Readouts, EveryTextControlIsCoveredAtItsEndsItsDefaultAndBetween)
{
    for (const auto& text : kTextControls) {
        int nLines = 0;
        for (const SReadout& readout : kReadouts)
            if (readout.nPanel == text[0] && readout.nText == text[1]) {
                EXPECT_EQ(readout.nParameter, text[2]) << "panel " << text[0] << " text " << text[1];
                ++nLines;
            }
        EXPECT_GE(nLines, 3) << "panel " << text[0] << " text " << text[1];
    }
}

TEST(Readouts, TheEditorShowsEveryValueAsTheWrittenTablesSay)
{
    SEditorRig rig(4);
    for (const SReadout& readout : kReadouts) {
        rig.pProcess->SetParameter(static_cast<unsigned>(readout.nParameter), readout.nValue);
        rig.Ticks(1);
        EXPECT_EQ(TextOf(rig.Panel(readout.nPanel), readout.nText), readout.pszText)
            << "parameter " << readout.nParameter << " = " << readout.nValue;
    }
}

TEST(Readouts, DefaultsShowWhenTheEditorOpens)
{
    SEditorRig rig(4);
    EXPECT_EQ(TextOf(rig.Panel(2), 18), "32 ms");
    EXPECT_EQ(TextOf(rig.Panel(2), 19), "430 ms");
    EXPECT_EQ(TextOf(rig.Panel(3), 23), "349 ms");
    EXPECT_EQ(TextOf(rig.Panel(2), 20), "0 dB");
    EXPECT_EQ(TextOf(rig.Panel(2), 21), "3.10");
    EXPECT_EQ(TextOf(rig.Panel(1), 28), "Off");
    EXPECT_EQ(TextOf(rig.Panel(1), 33), "Off");
}

TEST(Readouts, TheCommandLineToolShowsTheSameTexts)
{
    for (const SReadout& readout : kReadouts)
        EXPECT_EQ(ParameterDisplayText(readout.nParameter, readout.nValue), readout.pszText)
            << "parameter " << readout.nParameter << " = " << readout.nValue;
    // Switches and lists have no value text of this kind.
    EXPECT_EQ(ParameterDisplayText(2, 1), "");
    EXPECT_EQ(ParameterDisplayText(10, 1), "");
}

} // namespace
