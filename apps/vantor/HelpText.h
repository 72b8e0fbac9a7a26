// What --help and --version print; the man page is made from the same text
// at build time (help2man), so the two never disagree.
#pragma once

const char* GetMainHelp();
const char* GetMasterHelp();
const char* GetParamsHelp();
const char* GetPresetsHelp();
const char* GetPresetSaveHelp();
const char* GetPresetShowHelp();
const char* GetVersionText();
