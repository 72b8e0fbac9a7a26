// The one failure the tool raises: a message for the user and the exit code
// it ends with. main() prints "vantor: <message>" and exits with the code.
#pragma once

#include <stdexcept>
#include <string>

// Exit codes of every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1; // bad command line, unknown names, refused paths
constexpr int kExitFailure = 2; // input/output or processing failed
constexpr int kExitWarnings = 3; // finished, with warnings (an input read short)

// The exit code of a run whose parts ended with a and b: a failure outweighs
// a usage error, which outweighs warnings.
inline int WorseExitCode(int a, int b)
{
    auto Rank = [](int n) { return n == kExitWarnings ? 1 : n == kExitUsage ? 2 : n == kExitFailure ? 3 : 0; };
    return Rank(b) > Rank(a) ? b : a;
}

class CToolError : public std::runtime_error {
public:
    CToolError(int nExitCode, const std::string& sMessage)
        : std::runtime_error(sMessage)
        , mnExitCode(nExitCode)
    { }
    int GetExitCode() const { return mnExitCode; }

private:
    int mnExitCode;
};

inline CToolError UsageError(const std::string& sMessage)
{
    return CToolError(kExitUsage, sMessage);
}

inline CToolError FailureError(const std::string& sMessage)
{
    return CToolError(kExitFailure, sMessage);
}
