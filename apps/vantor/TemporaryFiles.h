// The temporary files of a run, and what ends a run from outside: SIGINT,
// SIGTERM and SIGHUP remove every temporary file (of all -j workers) and end
// the tool with 128 + the signal's number; a second signal while that is
// under way ends it at once. A thread of its own waits for the signals, so
// the cleanup runs as ordinary code, never inside a signal handler.
#pragma once

#include <string>

class CTemporaryFiles {
public:
    // Blocks the three signals in the calling thread (every thread started
    // later inherits that) and starts the thread that waits for them. Call
    // once from main() before any other thread starts.
    static void HandleSignals();

    // Creates an empty private file beside sPath, named after it and never
    // too long for the folder; its descriptor, or -1 with errno set.
    static int Create(const std::string& sPath, std::string& sTemporary);
    // Renames the temporary file to sPath, replacing an existing file only
    // when bReplace. 0, or the errno of the failure.
    static int Publish(const std::string& sTemporary, const std::string& sPath, bool bReplace);
    // Deletes the temporary file.
    static void Remove(const std::string& sTemporary);
};
