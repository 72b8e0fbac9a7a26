// Every tag of the input on the output, across formats, with TagLib (the
// fixed set libsndfile carries drops ISRC, label and custom comments):
// the input's tags are read as a property map (TITLE, ISRC, LABEL, any
// custom Vorbis comment or ID3 text frame) plus embedded pictures, and
// written into the finished temporary file before it is verified and
// published. Pictures go into FLAC and Ogg outputs.
#pragma once

#include "InputStream.h"

#include <string>
#include <vector>

struct SPicture {
    std::string sMimeType;
    std::string sDescription;
    int nType = 3; // front cover
    std::string data;
};

struct STagSet {
    // Keys in upper case, each with its values.
    std::vector<std::pair<std::string, std::vector<std::string>>> properties;
    std::vector<SPicture> pictures;
    bool IsEmpty() const { return properties.empty() && pictures.empty(); }
};

class CTagCopy {
public:
    // The tags of an open input of the given libsndfile container; empty
    // when there are none or the format has none TagLib knows.
    static STagSet Read(const CInputStream& stream, int nContainer);
    // Writes the tags into a finished file of the given container. "" on
    // success, else why not.
    static std::string Write(const std::string& sPath, int nContainer, const STagSet& tags);
};
