// Window classes: the process's class registry, and the stock icon and cursor.
#include "platform/linux/window_state.h"

#include <vector>

namespace {

// Atoms are handed out upwards from here, as the system's string atoms are.
const ATOM kFirstClassAtom = 0xC000;

std::vector<platform_linux::WindowClass> classes;
// Never reused, so an atom from before a reset names no class.
ATOM nextAtom = kFirstClassAtom;

// A MAKEINTATOM value rather than a string pointer.
bool isIntegerAtom(LPCSTR name) {
    return reinterpret_cast<UINT_PTR>(name) <= 0xFFFF;
}

// The ASCII upper-case form of a byte; other bytes stay as they are.
char foldCase(char value) {
    return value >= 'a' && value <= 'z' ? static_cast<char>(value - 'a' + 'A') : value;
}

// Class names compare without regard to ASCII case; other bytes must match exactly.
bool sameName(const std::string& left, LPCSTR right) {
    std::size_t i = 0;
    for (; i < left.size(); ++i) {
        if (right[i] == '\0' || foldCase(left[i]) != foldCase(right[i])) {
            return false;
        }
    }
    return right[i] == '\0';
}

// A stock icon or cursor: a non-null value that names no object.
void* stockHandle(UINT_PTR base, LPCSTR name) {
    return reinterpret_cast<void*>(base + (reinterpret_cast<UINT_PTR>(name) & 0xFFFF) * 4);
}

} // namespace

namespace platform_linux {

const WindowClass* findClass(LPCSTR name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (const WindowClass& windowClass : classes) {
        if (isIntegerAtom(name) ? windowClass.atom == reinterpret_cast<UINT_PTR>(name)
                                : sameName(windowClass.name, name)) {
            return &windowClass;
        }
    }
    return nullptr;
}

void clearClasses() {
    classes.clear();
}

} // namespace platform_linux

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) || windowClass->lpfnWndProc == nullptr ||
        windowClass->lpszClassName == nullptr || isIntegerAtom(windowClass->lpszClassName) ||
        windowClass->lpszClassName[0] == '\0' || windowClass->cbWndExtra < 0 || windowClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (platform_linux::findClass(windowClass->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (nextAtom > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    platform_linux::WindowClass added;
    added.name = windowClass->lpszClassName;
    added.atom = nextAtom++;
    added.procedure = windowClass->lpfnWndProc;
    added.windowExtraBytes = windowClass->cbWndExtra;
    classes.push_back(added);
    return added.atom;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    // Only the system's own icons exist here: the program's module carries no resources on Linux.
    if (instance != nullptr || !isIntegerAtom(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HICON>(stockHandle(0x10000, name));
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance != nullptr || !isIntegerAtom(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HCURSOR>(stockHandle(0x50000, name));
}
