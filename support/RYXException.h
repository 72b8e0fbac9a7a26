// The system's one exception type. It is created on the heap and thrown as a
// pointer to IRYXException; whoever catches it owns it and releases it with
// Destroy().
#pragma once

#include <string>

// Hosts catch the pointer with their own copy of these declarations, so the
// type's identity must compare by name across binaries whatever the compiler
// does with hidden types: the type keeps default visibility even though the
// linker exports none of its symbols.
#define UTILS_VISIBLE_TYPE __attribute__((visibility("default")))

namespace utils {

enum ERYXExceptionType {
    kProgramFlow = 1,
    kNotImplemented = 2,
    kMath = 3,
    kOutOfMemory = 4,
    kFileNotOpened = 5,
    kAbort = 6,
    kFileNotWritten = 7,
};

class UTILS_VISIBLE_TYPE IRYXException {
public:
    virtual int GetType() = 0;
    virtual std::string GetTypeName() = 0;
    virtual std::string GetInfo() = 0;
    virtual std::string GetMessage() = 0;
    // Added after the four queries: deletes the exception inside the library
    // that made it.
    virtual void Destroy() = 0;

protected:
    ~IRYXException() = default;
};

class UTILS_VISIBLE_TYPE CRYXException : public virtual IRYXException {
public:
    CRYXException(int nType, const std::string& sInfo);
    virtual ~CRYXException();

    int GetType() override;
    std::string GetTypeName() override;
    std::string GetInfo() override;
    std::string GetMessage() override;
    void Destroy() override;

    // The fixed name of an exception type ("Unknown" for any other value).
    static const char* TypeName(int nType);

private:
    int type;
    std::string typeName;
    std::string info;
    std::string message;
};

// Creates the exception on the heap and throws its interface pointer.
[[noreturn]] void ThrowRYXException(int nType, const std::string& sInfo);

} // namespace utils
