// The save-file prompt through the desktop's own dialog programs.
#include "Window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace platform {

namespace {

bool HasProgram(const char* pszName)
{
    const std::string sCommand = std::string("command -v ") + pszName + " >/dev/null 2>&1";
    return std::system(sCommand.c_str()) == 0;
}

// Single quotes for the shell.
std::string Quoted(const std::string& s)
{
    std::string sQuoted = "'";
    for (char c : s)
        sQuoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return sQuoted + "'";
}

} // namespace

int AskSaveFileName(const std::string& sTitle, const std::string& sInitialFolder, const std::string& sFilterName,
    const std::string& sExtension, std::string& sChosen)
{
    std::string sCommand;
    const std::string sStart = sInitialFolder.empty() ? std::string() : sInitialFolder;
    if (HasProgram("zenity")) {
        sCommand = "zenity --file-selection --save --confirm-overwrite --title=" + Quoted(sTitle)
            + " --file-filter=" + Quoted(sFilterName + " | *." + sExtension);
        if (!sStart.empty())
            sCommand += " --filename=" + Quoted(sStart);
    } else if (HasProgram("kdialog")) {
        sCommand = "kdialog --title " + Quoted(sTitle) + " --getsavefilename " + Quoted(sStart.empty() ? "." : sStart)
            + " " + Quoted("*." + sExtension + "|" + sFilterName);
    } else {
        return -1;
    }
    sCommand += " 2>/dev/null";
    FILE* pPipe = ::popen(sCommand.c_str(), "r");
    if (pPipe == nullptr)
        return -1;
    std::string sOutput;
    char acBuffer[512];
    size_t nRead;
    while ((nRead = std::fread(acBuffer, 1, sizeof acBuffer, pPipe)) > 0)
        sOutput.append(acBuffer, nRead);
    const int nStatus = ::pclose(pPipe);
    while (!sOutput.empty() && (sOutput.back() == '\n' || sOutput.back() == '\r'))
        sOutput.pop_back();
    if (nStatus != 0 || sOutput.empty())
        return 0;
    const size_t nSlash = sOutput.rfind('/');
    const std::string sFileName = nSlash == std::string::npos ? sOutput : sOutput.substr(nSlash + 1);
    if (sFileName.find('.') == std::string::npos)
        sOutput += "." + sExtension;
    sChosen = sOutput;
    return 1;
}

} // namespace platform
