#include "RYXException.h"

namespace utils {

CRYXException::CRYXException(int nType, const std::string& sInfo)
    : type(nType)
    , typeName(TypeName(nType))
    , info(sInfo)
    , message("Exception: " + typeName)
{
    if (!info.empty())
        message += "\nAdditional info: " + info;
}

CRYXException::~CRYXException() = default;

int CRYXException::GetType()
{
    return type;
}

std::string CRYXException::GetTypeName()
{
    return typeName;
}

std::string CRYXException::GetInfo()
{
    return info;
}

std::string CRYXException::GetMessage()
{
    return message;
}

void CRYXException::Destroy()
{
    delete this;
}

const char* CRYXException::TypeName(int nType)
{
    switch (nType) {
    case kProgramFlow: return "Program Flow";
    case kNotImplemented: return "Not Implemented";
    case kMath: return "Math";
    case kOutOfMemory: return "Out Of Memory";
    case kFileNotOpened: return "File could not be opened";
    case kAbort: return "Abort";
    case kFileNotWritten: return "File could not be written";
    default: return "Unknown";
    }
}

void ThrowRYXException(int nType, const std::string& sInfo)
{
    throw static_cast<IRYXException*>(new CRYXException(nType, sInfo));
}

} // namespace utils
