// The LV2 face of the five process types: the plug-ins of the bundle, the
// ports of each, their symbols and the conversion between port values
// (engineering units) and stored values. The DSP binary builds the port list
// from the descriptors of the process it loads, the Turtle generator from the
// parameter table; both go through BuildLv2Ports, so the binary and its
// Turtle describe the same ports.
#pragma once

#include "hosting/ParameterText.h"

#include <string>
#include <vector>

// Everything a host sees before it instantiates a plug-in.
struct SLv2PlugIn {
    unsigned nProcessType; // 0 eq, 1 compressor, 2 limiter, 3 clipper, 4 chain
    const char* pszUri;
    const char* pszName; // doap:name
    const char* pszTurtle; // file of the bundle that describes it
    const char* pszClass; // LV2 plug-in class (lv2: prefix)
    const char* pszPresetMode; // "mode = ..." of the factory presets it takes
};

constexpr int kNrOfLv2PlugIns = 5;

// Who makes every plug-in: the foaf:name of its doap:maintainer, which hosts
// list as the plug-in's maker or author.
constexpr const char* kLv2Maker = "Vantor";
extern const SLv2PlugIn kLv2PlugIns[kNrOfLv2PlugIns];

// The plug-in of an URI, or null.
const SLv2PlugIn* FindLv2PlugIn(const char* pszUri);
// The plug-in of a process type, or null.
const SLv2PlugIn* FindLv2PlugInOfType(unsigned nProcessType);

// Latency of every process type, in frames (the chain's block adapter).
constexpr float kLv2LatencyFrames = 64.0f;

// Meter output ports: what each shows and which process types have it.
enum class ELv2MeterShape {
    Needle, // the needle value as read (1.0 = rest, no reduction)
    ReductionDb, // the needle as gain reduction in dB, 0 at rest, positive when reducing
    Light, // a clip indicator, 0 dark or 1 lit
    PeakDb, // a held sample peak (linear) in dBFS, the bottom of the range for silence
    Lufs, // a loudness in LUFS as read
};

struct SLv2Meter {
    const char* pszSymbol;
    const char* pszName;
    unsigned nReading; // vpa::IMeters reading: 0, 1 needles, 2..4 clip indicators, 7..9 output
    ELv2MeterShape eShape;
    unsigned nTypeMask; // bit n set: process type n has this port
    float fMin, fMax; // range the Turtle announces
};

constexpr int kNrOfLv2Meters = 10;
extern const SLv2Meter kLv2Meters[kNrOfLv2Meters];

// Readings of vpa::IMeters the ports need.
constexpr unsigned kNrOfLv2MeterReadings = 10;
// What the readings are before any audio (needles at rest, loudness at the floor).
extern const float kLv2RestingReadings[kNrOfLv2MeterReadings];

// A meter port's value for a reading.
float Lv2MeterValue(const SLv2Meter& meter, float fReading);

enum class ELv2PortKind { AudioIn, AudioOut, Latency, Enabled, Parameter, Meter };

struct SLv2Port {
    ELv2PortKind eKind;
    std::string sSymbol;
    std::string sName;
    int nParameter = -1; // Enabled, Parameter: the parameter index
    int nMeter = -1; // Meter: index into kLv2Meters
};

// The ports of a plug-in, in port index order: audio in left/right, audio
// out left/right, the control inputs in parameter order (enabled, "Global
// Bypass" inverted, then one per other parameter active in the process
// type), the latency output, then the type's meters. The parameters come from
// the process or the table.
std::vector<SLv2Port> BuildLv2Ports(unsigned nProcessType, const CParameterText& parameters);

// The port symbol of a parameter, derived from its full name: lower case,
// every run of characters other than letters and digits becomes one '_',
// none at either end ("Limiter Band 1 Gain" -> "limiter_band_1_gain").
std::string Lv2PortSymbol(const std::string& sFullName);

// How a parameter's port is announced and read.
enum class ELv2ValueShape {
    Toggle, // "Off@On" switches: lv2:toggled, off at 0, on above 0
    Enumeration, // other lists: lv2:integer + lv2:enumeration, value = list index
    Integer, // unitless whole numbers ("Patch"): lv2:integer
    Continuous, // engineering units, rounded to the parameter's decimals
};
ELv2ValueShape Lv2ValueShape(const SParameterText& parameter);

// Port value -> stored value: scaled by 10^decimals, rounded, clamped to the
// range; a toggle is on above 0. A NaN keeps nPrevious.
int Lv2PortToStored(const SParameterText& parameter, float fValue, int nPrevious);
// Stored value -> port value (engineering units).
float Lv2StoredToPort(const SParameterText& parameter, int nStored);
// The same as text for Turtle: the engineering value with the parameter's
// decimals ("-3.3", "15.0", "1").
std::string Lv2StoredToText(const SParameterText& parameter, int nStored);

// Where Vantor.vpa is for a bundle. The bundle holds a symbolic link to the
// library (build tree: ../Vantor.vpa, installed: ../../vantor/Vantor.vpa).
// The link is resolved, because the library finds its skin and presets
// beside its own real path. A bundle copied without the link falls back to
// pszInstalled.
std::string FindLv2Library(const char* pszBundlePath, const char* pszInstalled);
