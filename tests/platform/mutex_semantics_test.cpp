// What the single-instance check relies on of named mutexes, checked the same
// way against the Windows API and against our Linux layer.
#include "platform/os.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// The error codes as GetLastError gives them (the headers' constants differ in type).
const DWORD kSuccess = ERROR_SUCCESS;
const DWORD kAlreadyExists = ERROR_ALREADY_EXISTS;

// A name no other process uses: the test's name, a random part and a counter,
// then `suffix`.
std::string uniqueName(const std::string& suffix) {
    static const unsigned long long salt = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    static int counter = 0;
    char text[40];
    std::snprintf(text, sizeof text, "%016llx.%d", salt, ++counter);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("Quorvane.Semantics.") + info->name() + "." + text + suffix;
}

// CreateMutexA's handle and the error it left, with the error preset to a value no call sets.
struct Created {
    HANDLE handle;
    DWORD error;
};

Created create(const std::string& name) {
    SetLastError(0xdeadbeef);
    const HANDLE handle = CreateMutexA(nullptr, TRUE, name.c_str());
    return Created{handle, GetLastError()};
}

// Closes every handle it holds at the end of the test.
class MutexSemantics : public ::testing::Test {
protected:
    void TearDown() override {
        for (HANDLE handle : held) {
            CloseHandle(handle);
        }
    }

    Created createHeld(const std::string& name) {
        const Created created = create(name);
        if (created.handle != nullptr) {
            held.push_back(created.handle);
        }
        return created;
    }

    void close(HANDLE handle) {
        for (std::size_t i = 0; i < held.size(); ++i) {
            if (held[i] == handle) {
                held.erase(held.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
        EXPECT_TRUE(CloseHandle(handle));
    }

    std::vector<HANDLE> held;
};

TEST_F(MutexSemantics, NamesOfAnyBytesButBackslashTellNewFromExisting) {
    const char* const suffixes[] = {
        "",
        ".with:colon",
        ".with/slash and blank",
        ".\xb1\xb2\xb3",         // half-width katakana, single bytes in code page 932
        ".\x95\x5c\x83\x8b",     // double-byte characters, the first with 0x5C as its second byte
        ".\xe3\x81\x82",         // UTF-8 bytes, whatever the code page makes of them
    };
    for (std::size_t i = 0; i < sizeof suffixes / sizeof suffixes[0]; ++i) {
        const std::string name = uniqueName(suffixes[i]);
        const Created first = createHeld(name);
        ASSERT_NE(nullptr, first.handle) << "case " << i << ": error " << first.error;
        EXPECT_EQ(kSuccess, first.error) << "case " << i;

        const Created second = createHeld(name);
        ASSERT_NE(nullptr, second.handle) << "case " << i << ": error " << second.error;
        EXPECT_EQ(kAlreadyExists, second.error) << "case " << i;
        EXPECT_NE(first.handle, second.handle) << "case " << i;

        close(second.handle);
        close(first.handle);
        // Once every handle is closed the object is gone and the name free.
        const Created again = createHeld(name);
        ASSERT_NE(nullptr, again.handle) << "case " << i << ": error " << again.error;
        EXPECT_EQ(kSuccess, again.error) << "case " << i;
    }
}

TEST_F(MutexSemantics, TheNameStaysTakenWhileAnyHandleIsOpen) {
    const std::string name = uniqueName("");
    const Created first = createHeld(name);
    ASSERT_NE(nullptr, first.handle);
    const Created second = createHeld(name);
    ASSERT_NE(nullptr, second.handle);
    EXPECT_EQ(kAlreadyExists, second.error);

    // The handle that created the object goes first; the other keeps it alive.
    close(first.handle);
    const Created third = createHeld(name);
    ASSERT_NE(nullptr, third.handle);
    EXPECT_EQ(kAlreadyExists, third.error);

    close(second.handle);
    close(third.handle);
    const Created fresh = createHeld(name);
    ASSERT_NE(nullptr, fresh.handle);
    EXPECT_EQ(kSuccess, fresh.error);
}

TEST_F(MutexSemantics, NamesDifferingOnlyInCaseAreDifferentObjects) {
    const std::string lower = uniqueName(".name");
    const std::string upper = lower.substr(0, lower.size() - 4) + "NAME";
    const Created first = createHeld(lower);
    ASSERT_NE(nullptr, first.handle);
    EXPECT_EQ(kSuccess, first.error);
    const Created other = createHeld(upper);
    ASSERT_NE(nullptr, other.handle);
    EXPECT_EQ(kSuccess, other.error);
}

} // namespace
