#include "LoadedLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// Defined dynamic symbols of a shared object, demangled. nm prints
// "value type name"; demangled names may hold spaces, the first two fields not.
std::set<std::string> DynamicSymbols(const std::string& sPath)
{
    std::set<std::string> symbols;
    const std::string sCommand = "nm -D --defined-only -C '" + sPath + "' 2>/dev/null";
    FILE* pPipe = ::popen(sCommand.c_str(), "r");
    if (pPipe == nullptr)
        return symbols;
    char line[4096];
    while (std::fgets(line, sizeof(line), pPipe) != nullptr) {
        std::string sLine(line);
        while (!sLine.empty() && sLine.back() == '\n')
            sLine.pop_back();
        const size_t nFirst = sLine.find(' ');
        const size_t nSecond = nFirst == std::string::npos ? nFirst : sLine.find(' ', nFirst + 1);
        if (nSecond != std::string::npos)
            symbols.insert(sLine.substr(nSecond + 1));
    }
    ::pclose(pPipe);
    return symbols;
}

bool IsContractSymbol(const std::string& sName)
{
    if (sName == "vpaMain")
        return true;
    for (const char* pszPrefix :
        { "vpa::", "vtable for vpa::", "VTT for vpa::", "typeinfo for vpa::", "typeinfo name for vpa::",
            "construction vtable for vpa::", "virtual thunk to vpa::", "non-virtual thunk to vpa::" }) {
        if (sName.rfind(pszPrefix, 0) == 0)
            return true;
    }
    return false;
}

TEST(Exports, TheLibraryExportsOnlyTheEntryAndTheHostContractClasses)
{
    const std::set<std::string> symbols = DynamicSymbols(CVpaLibrary::DefaultPath());
    ASSERT_FALSE(symbols.empty()) << "nm could not read " << CVpaLibrary::DefaultPath();

    for (const std::string& sName : symbols)
        EXPECT_TRUE(IsContractSymbol(sName)) << "unexpected export: " << sName;

    for (const char* pszRequired : { "vpaMain", "vpa::CPlugIn::miNrOfInstances", "vtable for vpa::CObject",
             "vtable for vpa::IPlugIn", "vtable for vpa::CPlugIn", "vtable for vpa::IProcess",
             "vtable for vpa::CProcess", "vtable for vpa::IGUI", "vtable for vpa::CGUI",
             "vtable for vpa::SParameterInfo", "vpa::CObject::DestroySelf()", "vpa::CProcess::CProcess()",
             "vpa::CGUI::CGUI()", "vpa::CProcess::ProcessInPlace(float**, unsigned int, int*)" }) {
        EXPECT_EQ(symbols.count(pszRequired), 1u) << "missing export: " << pszRequired;
    }
}

} // namespace
