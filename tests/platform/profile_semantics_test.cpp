// What the settings code relies on of the profile services, checked the same
// way against the Windows API and against our Linux layer.
#include "platform/os.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

class ProfileSemantics : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = fs::temp_directory_path() / (std::string("quorvane-profile-") + info->name());
        std::error_code ignored;
        fs::remove_all(directory, ignored);
        fs::create_directories(directory);
        file = (directory / "settings.ini").string();
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }

    void writeFile(const std::string& bytes) const {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    std::string readFile() const {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // The value as the settings code reads it: 256-byte buffer, bytes up to the NUL.
    std::string get(const char* section, const char* key, const char* fallback = "",
                    DWORD size = 256) const {
        std::string buffer(size + 16, '\x7f');
        GetPrivateProfileStringA(section, key, fallback, &buffer[0], size, file.c_str());
        return std::string(buffer.c_str());
    }

    fs::path directory;
    std::string file;
};

TEST_F(ProfileSemantics, ReadsValuesAsTheFileHoldsThem) {
    writeFile("[Other]\r\n"
              "RAMDisk=wrong section\r\n"
              "[Path]\r\n"
              "ramdisk=R:\\cache\r\n"
              "  BackupDir  =   D:\\keep \\here   \r\n"
              "Double=\"D:\\with quotes\"\r\n"
              "Single='D:\\single'\r\n"
              "Half=\"D:\\half\r\n"
              "Empty=\r\n"
              "Later=1\r\n"
              "Dup=first\r\n"
              "Dup=second\r\n"
              "[Tail]\r\n"
              "Later=2\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Path", "RAMDisk", "R:\\cache"},             // keys match without regard to case
        {"PATH", "ramdisk", "R:\\cache"},             // so do sections
        {"Path", "BackupDir", "D:\\keep \\here"},     // blanks around key and value go
        {"Path", "Double", "D:\\with quotes"},        // enclosing quotes go
        {"Path", "Single", "D:\\single"},
        {"Path", "Half", "\"D:\\half"},               // an unmatched quote stays
        {"Path", "Empty", ""},                        // present but empty: not the default
        {"Path", "Later", "1"},                       // the section ends at the next header
        {"Path", "Dup", "first"},                     // of two equal keys, the first counts
        {"Tail", "Later", "2"},
        {"Other", "RAMDisk", "wrong section"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(get(c.section, c.key, "default"), c.expected) << "[" << c.section << "] " << c.key;
    }
}

TEST_F(ProfileSemantics, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(get("Path", "RAMDisk", "fallback"), "fallback");  // no file at all
    EXPECT_EQ(get("Path", "RAMDisk", ""), "");
    writeFile("[Path]\r\nBackupDir=D:\\b\r\n");
    EXPECT_EQ(get("Nowhere", "BackupDir", "fallback"), "fallback");
    EXPECT_EQ(get("Path", "RAMDisk", "fallback"), "fallback");
    EXPECT_EQ(get("Path", "RAMDisk", ""), "");
    // A default's trailing blanks are cut off.
    EXPECT_EQ(get("Path", "RAMDisk", "fallback   "), "fallback");
}

TEST_F(ProfileSemantics, LongValuesAreCutToTheBuffer) {
    const std::string longValue(300, 'v');
    writeFile("[Path]\r\nRAMDisk=" + longValue + "\r\n");
    char buffer[256];
    std::memset(buffer, 0x7f, sizeof buffer);
    const DWORD count = GetPrivateProfileStringA("Path", "RAMDisk", "", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(count, 255u);
    EXPECT_EQ(buffer[255], '\0');
    EXPECT_EQ(std::string(buffer), longValue.substr(0, 255));
    // The default is cut the same way.
    EXPECT_EQ(get("Path", "Missing", longValue.c_str()), longValue.substr(0, 255));
}

TEST_F(ProfileSemantics, WritesCreateFileAndSectionAndKeepEmptyValues) {
    ASSERT_TRUE(WritePrivateProfileStringA("Path", "RAMDisk", "R:\\", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Path", "BackupDir", "", file.c_str()));
    EXPECT_EQ(get("Path", "RAMDisk", "default"), "R:\\");
    // An empty value keeps the key: reading it gives the empty value, not the default.
    EXPECT_EQ(get("Path", "BackupDir", "default"), "");
    const std::string text = readFile();
    EXPECT_NE(text.find("[Path]"), std::string::npos) << text;
    EXPECT_NE(text.find("BackupDir="), std::string::npos) << text;
}

TEST_F(ProfileSemantics, WritesReplaceInPlaceAndKeepOtherKeys) {
    writeFile("[Path]\r\nRAMDisk=old\r\nBackupDir2=E:\\second\r\n[Other]\r\nRAMDisk=other\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("path", "ramdisk", "new", file.c_str()));
    EXPECT_EQ(get("Path", "RAMDisk"), "new");
    EXPECT_EQ(get("Path", "BackupDir2"), "E:\\second");
    EXPECT_EQ(get("Other", "RAMDisk"), "other");
    const std::string text = readFile();
    EXPECT_EQ(text.find("old"), std::string::npos) << text;
    // The key is replaced, not added a second time.
    EXPECT_EQ(text.find("amdisk=new"), text.rfind("amdisk=new")) << text;
}

TEST_F(ProfileSemantics, DoubleByteValuesRoundTrip) {
    // Code page 932 bytes, with 0x5C as a second byte (表) and a lead-byte
    // range second byte (ル).
    const std::string value = "D:\\\x95\x5C\\\x83\x8B\\data";
    ASSERT_TRUE(WritePrivateProfileStringA("Path", "BackupDir", value.c_str(), file.c_str()));
    EXPECT_EQ(get("Path", "BackupDir"), value);
}

} // namespace
