// Writes a picture of 0x00RRGGBB words (top row first) as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool WritePngFile(const std::string& sPath, const std::vector<uint32_t>& pixels, int nWidth, int nHeight);
