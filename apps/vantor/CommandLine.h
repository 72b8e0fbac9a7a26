// The words after a subcommand: options ("--mode chain", "--mode=chain",
// "-j4", "-j 4", "-fq"), positional words, "--" ending the options and "-"
// as a positional word (standard input or output).
#pragma once

#include <string>
#include <vector>

class CCommandLine {
public:
    struct SOption {
        const char* pszLong; // without "--"
        char cShort; // 0 for none
        bool bTakesValue;
    };

    // Splits the words by the options given; throws a usage error for an
    // unknown option or a missing value.
    CCommandLine(const std::vector<std::string>& words, const std::vector<SOption>& options);

    struct SItem {
        std::string sName; // long name of the option, "" for a positional word
        std::string sValue; // the option's value, or the positional word
    };
    const std::vector<SItem>& GetItems() const { return mItems; }
    std::vector<std::string> GetPositionals() const;

private:
    std::vector<SItem> mItems;
};

// A whole number in [nMin, nMax] for an option; throws a usage error.
int ParseCount(const std::string& sOption, const std::string& sValue, int nMin, int nMax);
