// Scripted failures of single calls, for tests.
#include "platform/linux/seams.h"

#include <map>

namespace {
std::map<std::string, DWORD> pendingFailures;
}

namespace platform_seams {

void failNextCall(const std::string& function, DWORD error) {
    pendingFailures[function] = error;
}

bool takeFailure(const char* function) {
    const auto found = pendingFailures.find(function);
    if (found == pendingFailures.end()) {
        return false;
    }
    SetLastError(found->second);
    pendingFailures.erase(found);
    return true;
}

} // namespace platform_seams
