// The subcommands. Each takes the words after its name, prints what it has
// to say and returns the exit code; failures are thrown as CToolError.
#pragma once

#include <string>
#include <vector>

int RunMaster(const std::vector<std::string>& words);
int RunParams(const std::vector<std::string>& words);
int RunPresets(const std::vector<std::string>& words);
int RunPresetSave(const std::vector<std::string>& words);
int RunPresetShow(const std::vector<std::string>& words);
