// A fresh temporary folder for one test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class CTestFolder {
public:
    CTestFolder()
    {
        std::string sTemplate = (std::filesystem::temp_directory_path() / "vantor-test-XXXXXX").string();
        msPath = ::mkdtemp(sTemplate.data()) != nullptr ? sTemplate : std::string();
    }
    ~CTestFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(msPath, error);
    }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    std::string Path(const std::string& sName) const { return msPath + "/" + sName; }
    const std::string& Root() const { return msPath; }

private:
    std::string msPath;
};
