// The active ANSI code page: 932 when the locale's codeset is Shift_JIS.
#include "platform/linux/internal.h"
#include "platform/linux/seams.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

namespace {

const UINT kUtf8 = 65001;
const UINT kShiftJis = 932;
UINT selectedCodePage = 0;

UINT localeCodePage() {
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        return kUtf8;
    }
    const char* codeset = nl_langinfo_l(CODESET, locale);
    UINT result = kUtf8;
    if (codeset != nullptr && (strcasecmp(codeset, "SHIFT_JIS") == 0 || strcasecmp(codeset, "SJIS") == 0 ||
                               strcasecmp(codeset, "CP932") == 0 || strcasecmp(codeset, "WINDOWS-31J") == 0)) {
        result = kShiftJis;
    }
    freelocale(locale);
    return result;
}

} // namespace

UINT GetACP() {
    if (selectedCodePage == 0) {
        selectedCodePage = localeCodePage();
    }
    return selectedCodePage;
}

BOOL IsDBCSLeadByte(BYTE byte) {
    if (GetACP() != kShiftJis) {
        return FALSE;
    }
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

BOOL IsPathSeparatorByte(BYTE byte) {
    return byte == 0x5C || byte == '/';
}

namespace platform_seams {

void setCodePage(UINT codePage) {
    selectedCodePage = codePage;
}

} // namespace platform_seams

namespace platform_linux {

std::string nativePath(const char* path) {
    std::string result = path != nullptr ? path : "";
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(result[i])) && i + 1 < result.size()) {
            ++i;
        } else if (result[i] == '\\') {
            result[i] = '/';
        }
    }
    return result;
}

} // namespace platform_linux
