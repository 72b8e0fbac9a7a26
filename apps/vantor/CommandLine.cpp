#include "CommandLine.h"

#include "ToolError.h"

#include <cstdlib>

CCommandLine::CCommandLine(const std::vector<std::string>& words, const std::vector<SOption>& options)
{
    bool bOptionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& sWord = words[i];
        if (bOptionsEnded || sWord == "-" || sWord.size() < 2 || sWord[0] != '-') {
            mItems.push_back({ "", sWord });
            continue;
        }
        if (sWord == "--") {
            bOptionsEnded = true;
            continue;
        }
        auto TakeValue = [&](const SOption& option, const std::string& sInline, bool bHasInline) {
            if (!option.bTakesValue) {
                if (bHasInline)
                    throw UsageError(std::string("--") + option.pszLong + " takes no value");
                mItems.push_back({ option.pszLong, "" });
                return;
            }
            if (bHasInline) {
                mItems.push_back({ option.pszLong, sInline });
                return;
            }
            if (i + 1 >= words.size())
                throw UsageError(std::string("--") + option.pszLong + " needs a value");
            mItems.push_back({ option.pszLong, words[++i] });
        };
        if (sWord[1] == '-') {
            const size_t nEquals = sWord.find('=');
            const std::string sName = sWord.substr(2, nEquals == std::string::npos ? std::string::npos : nEquals - 2);
            const SOption* pFound = nullptr;
            for (const SOption& option : options) {
                if (sName == option.pszLong)
                    pFound = &option;
            }
            if (pFound == nullptr)
                throw UsageError("unknown option '--" + sName + "' (see --help)");
            TakeValue(*pFound, nEquals == std::string::npos ? std::string() : sWord.substr(nEquals + 1),
                nEquals != std::string::npos);
            continue;
        }
        // Short options, possibly grouped ("-fq") or with the value attached ("-j4").
        for (size_t n = 1; n < sWord.size(); ++n) {
            const SOption* pFound = nullptr;
            for (const SOption& option : options) {
                if (option.cShort == sWord[n])
                    pFound = &option;
            }
            if (pFound == nullptr)
                throw UsageError(std::string("unknown option '-") + sWord[n] + "' (see --help)");
            if (pFound->bTakesValue) {
                TakeValue(*pFound, sWord.substr(n + 1), n + 1 < sWord.size());
                break;
            }
            TakeValue(*pFound, std::string(), false);
        }
    }
}

std::vector<std::string> CCommandLine::GetPositionals() const
{
    std::vector<std::string> words;
    for (const SItem& item : mItems) {
        if (item.sName.empty())
            words.push_back(item.sValue);
    }
    return words;
}

int ParseCount(const std::string& sOption, const std::string& sValue, int nMin, int nMax)
{
    char* pszEnd = nullptr;
    const long nValue = std::strtol(sValue.c_str(), &pszEnd, 10);
    if (sValue.empty() || *pszEnd != '\0' || nValue < nMin || nValue > nMax)
        throw UsageError(sOption + " needs a whole number from " + std::to_string(nMin) + " to " + std::to_string(nMax)
            + ", not '" + sValue + "'");
    return static_cast<int>(nValue);
}
