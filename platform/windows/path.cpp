#include "platform/os.h"

BOOL IsPathSeparatorByte(BYTE value) {
    return value == 0x5C;
}
