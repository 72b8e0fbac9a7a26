// Interleaved float audio parked on disk between the passes of a job (the
// decoded input, a chain's output), so that a pipe read once can be mastered
// again and memory stays bounded whatever the length. The file is unlinked
// as soon as it is created: nothing is left behind however the run ends.
// It lives in $TMPDIR (default /tmp).
#pragma once

#include <string>

class CSpoolFile {
public:
    // nChannels floats per frame. Throws a CToolError when no file can be made.
    explicit CSpoolFile(unsigned nChannels);
    ~CSpoolFile();
    CSpoolFile(const CSpoolFile&) = delete;
    CSpoolFile& operator=(const CSpoolFile&) = delete;

    // Appends; throws a CToolError on a failed write (a full disk).
    void Write(const float* pfInterleaved, unsigned nFrames);
    // Starts reading from the first frame.
    void Rewind() { Seek(0); }
    // Starts reading from frame nFrame.
    void Seek(long long nFrame);
    // Up to nFrames frames from where reading stands; 0 at the end.
    unsigned Read(float* pfInterleaved, unsigned nFrames);
    // Up to nFrames frames from frame nFrame, leaving the reading position
    // alone: several threads may read at once (while nobody writes).
    unsigned ReadAt(long long nFrame, float* pfInterleaved, unsigned nFrames) const;
    long long GetFrames() const { return mnFrames; }

private:
    int mnDescriptor = -1;
    unsigned mnChannels;
    long long mnFrames = 0;
    long long mnReadFrames = 0;
};
