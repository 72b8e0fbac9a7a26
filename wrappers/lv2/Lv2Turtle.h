// Writes the bundle's Turtle: the manifest, one file per plug-in and the
// factory presets. Everything comes from the parameter table (through
// BuildLv2Ports) and the preset sources, at build time.
#pragma once

#include "Lv2Ports.h"

#include <string>
#include <vector>

// The parameters of a process type as its process publishes them, built from
// the parameter table without a process.
CParameterText TableParameters(unsigned nProcessType);

// One factory preset, ready for Turtle.
struct SLv2Preset {
    std::string sUri;
    std::string sLabel; // "Mastering: Broadcast Safe"
    std::string sComment; // the source's description line
    const SLv2PlugIn* pPlugIn = nullptr;
    std::vector<std::pair<std::string, std::string>> values; // port symbol, value text
};

// Reads one preset source (relative path sRelative inside the factory folder,
// e.g. "Mastering/Broadcast Safe.preset") and appends its presets: one for
// the plug-in of its mode and, for a module's preset, one for the chain
// plug-in that sets only that module's ports. False with sError
// "file:line: ...".
bool ReadLv2Presets(const std::string& sFactoryFolder, const std::string& sRelative, std::vector<SLv2Preset>& presets,
    std::string& sError);

struct SLv2Version {
    int nMinor;
    int nMicro;
};

// The editor of every plug-in: an X11 UI in its own binary.
constexpr const char* kLv2UiUri = "urn:vantor:lv2:ui";
constexpr const char* kLv2UiBinary = "vantor_ui.so";

std::string ManifestTurtle(const std::string& sBinary, const std::vector<SLv2Preset>& presets);
std::string PlugInTurtle(const SLv2PlugIn& plugIn, SLv2Version version);
std::string PresetsTurtle(const std::vector<SLv2Preset>& presets);

// The file a preset's Turtle goes to.
constexpr const char* kLv2PresetsFile = "presets.ttl";
