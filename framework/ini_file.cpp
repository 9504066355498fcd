#include "framework/ini_file.h"

#include "platform/os.h"

namespace pelkolib {

namespace {
const DWORD kValueBufferSize = 256;
}

void IniFile::setPath(std::string value) {
    path = std::move(value);
}

void IniFile::setSection(std::string value) {
    section = std::move(value);
}

std::string IniFile::getString(const char* key, const char* defaultValue) const {
    char buffer[kValueBufferSize] = {};
    GetPrivateProfileStringA(section.c_str(), key, defaultValue, buffer, kValueBufferSize, path.c_str());
    buffer[kValueBufferSize - 1] = '\0';
    return std::string(buffer);
}

void IniFile::putString(const char* key, std::string value) const {
    WritePrivateProfileStringA(section.c_str(), key, value.c_str(), path.c_str());
}

} // namespace pelkolib
