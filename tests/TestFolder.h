// A fresh temporary folder for one test, removed with everything in it, and
// the whole-file reads and writes the tests make.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// The bytes of a file; empty when it cannot be read.
inline std::vector<uint8_t> ReadBytes(const std::string& sPath)
{
    std::ifstream file(sPath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Replaces a file with bytes (a std::string or a byte vector).
template <typename TBytes> void WriteBytes(const std::string& sPath, const TBytes& bytes)
{
    std::ofstream(sPath, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteBytes(const std::string& sPath, const char* pszText)
{
    WriteBytes(sPath, std::string(pszText));
}
