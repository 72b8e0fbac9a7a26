#include "toolkit/epiPath.h"

#include "platform/Platform.h"

namespace epi {

std::string NativePathFrom(const std::string& sToolkitPath)
{
    const bool bAbsolute = sToolkitPath.size() >= 2 && sToolkitPath[0] == ':' && sToolkitPath[1] != ':';
    std::string sNative;
    sNative.reserve(sToolkitPath.size() + 2);
    if (bAbsolute) {
        sNative += platform::kPathSeparator;
        sNative.append(sToolkitPath, 1, std::string::npos);
    } else {
        // A relative path that would begin with a separator stays relative.
        if (!sToolkitPath.empty() && sToolkitPath[0] == ':')
            sNative += '.';
        sNative += sToolkitPath;
    }
    for (char& c : sNative)
        if (c == ':')
            c = platform::kPathSeparator;
    return sNative;
}

std::string ToolkitPathFrom(const std::string& sNativePath)
{
    std::string sPath = sNativePath;
    for (char& c : sPath)
        if (c == platform::kPathSeparator)
            c = ':';
    // "/home/u" became ":home:u", already the absolute form.
    return sPath;
}

} // namespace epi
