// The toolkit's path form: ":" separates components. A path that starts with a
// single ":" is absolute; on POSIX there is no drive, so ":home:u:Vantor.xrs"
// is /home/u/Vantor.xrs. Any other path, also one starting with "::", is
// relative to the current folder.
#pragma once

#include <string>

namespace epi {

// Toolkit form to native form.
std::string NativePathFrom(const std::string& sToolkitPath);

// Native form to toolkit form: an absolute native path gets the leading ":",
// every separator becomes ":". A relative native path keeps its separators
// turned to ":" without the leading one.
std::string ToolkitPathFrom(const std::string& sNativePath);

} // namespace epi
