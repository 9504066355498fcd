// Reads and writes string values of one section of one profile (.ini) file.
#pragma once

#include <string>

namespace pelkolib {

// One section of one profile file, reached through the system's profile services.
class IniFile {
public:
    // Sets the profile file's full path.
    void setPath(std::string value);
    // Sets the section that reads and writes address.
    void setSection(std::string value);
    // The key's value cut to 255 bytes, or the default when file, section or key is missing.
    std::string getString(const char* key, const char* defaultValue) const;
    // Writes the key with the value, creating the file and the section when missing.
    void putString(const char* key, std::string value) const;

    // Full path of the profile file.
    std::string path;
    // Name of the section.
    std::string section;
};

} // namespace pelkolib
