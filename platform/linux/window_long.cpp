// Window longs: the procedure, the user-data slot and the class's extra window bytes.
#include "platform/linux/window_state.h"

#include <cstring>

namespace {

using platform_linux::WindowRecord;

// The `size` extra bytes at `index`, or null (error ERROR_INVALID_INDEX) when they lie outside.
unsigned char* extraSlot(WindowRecord& record, int index, std::size_t size) {
    if (index < 0 || static_cast<std::size_t>(index) + size > record.extraBytes.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return nullptr;
    }
    return record.extraBytes.data() + index;
}

// The value stored at `index`; 0 when the index lies outside.
template <typename Value>
Value readExtra(WindowRecord& record, int index) {
    Value value = 0;
    if (const unsigned char* slot = extraSlot(record, index, sizeof(Value))) {
        std::memcpy(&value, slot, sizeof(Value));
    }
    return value;
}

// Stores `value` and gives the one it replaced; 0 when the index lies outside.
template <typename Value>
Value writeExtra(WindowRecord& record, int index, Value value) {
    Value previous = 0;
    if (unsigned char* slot = extraSlot(record, index, sizeof(Value))) {
        std::memcpy(&previous, slot, sizeof(Value));
        std::memcpy(slot, &value, sizeof(Value));
    }
    return previous;
}

} // namespace

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    WindowRecord* record = platform_linux::findWindow(window);
    if (record == nullptr) {
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(record->procedure);
    case GWLP_USERDATA:
        return record->userData;
    default:
        return readExtra<LONG_PTR>(*record, index);
    }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    WindowRecord* record = platform_linux::findWindow(window);
    if (record == nullptr) {
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
    case GWLP_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(record->procedure);
        record->procedure = reinterpret_cast<WNDPROC>(value);
        return previous;
    case GWLP_USERDATA:
        previous = record->userData;
        record->userData = value;
        return previous;
    default:
        return writeExtra<LONG_PTR>(*record, index, value);
    }
}

// The 32-bit forms: a procedure address does not fit, so GWL_WNDPROC is refused as on 64-bit Windows.
LONG GetWindowLongA(HWND window, int index) {
    WindowRecord* record = platform_linux::findWindow(window);
    if (record == nullptr) {
        return 0;
    }
    switch (index) {
    case GWL_WNDPROC:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    case GWL_USERDATA:
        return static_cast<LONG>(record->userData);
    default:
        return readExtra<LONG>(*record, index);
    }
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    WindowRecord* record = platform_linux::findWindow(window);
    if (record == nullptr) {
        return 0;
    }
    LONG previous = 0;
    switch (index) {
    case GWL_WNDPROC:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    case GWL_USERDATA:
        previous = static_cast<LONG>(record->userData);
        record->userData = value;
        return previous;
    default:
        return writeExtra<LONG>(*record, index, value);
    }
}
