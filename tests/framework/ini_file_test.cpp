// One section of a profile file, read and written by key.
#include "framework/ini_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using pelkolib::IniFile;
using test_support::readFile;
using test_support::TempDir;
using test_support::writeFile;

struct IniFileFixture : ::testing::Test {
    TempDir dir;
    IniFile ini;
    std::string path = dir / "settings.ini";

    void SetUp() override {
        ini.setPath(path);
        ini.setSection("Path");
    }
};

TEST_F(IniFileFixture, ValuesAndDefaultsAreCutTo255Bytes) {
    const std::string longValue(300, 'v');
    writeFile(path, "[Path]\nlong=" + longValue + "\n");
    EXPECT_EQ(longValue.substr(0, 255), ini.getString("long", ""));
    EXPECT_EQ(longValue.substr(0, 255), ini.getString("missing", longValue.c_str()));
    EXPECT_EQ("", ini.getString("missing", ""));
}

TEST_F(IniFileFixture, WritesCreateFileAndSectionAndKeepEmptyValues) {
    ini.putString("RAMDisk", "R:\\cache");
    ini.putString("Empty", "");
    EXPECT_EQ("R:\\cache", ini.getString("RAMDisk", "x"));
    EXPECT_EQ("", ini.getString("Empty", "default"));
    EXPECT_NE(std::string::npos, readFile(path).find("Empty="));
}

TEST_F(IniFileFixture, SettingAgainReplacesPathAndSection) {
    writeFile(path, "[A]\nk=a\n[B]\nk=b\n");
    ini.setSection("A");
    EXPECT_EQ("a", ini.getString("k", ""));
    ini.setSection("B");
    EXPECT_EQ("b", ini.getString("k", ""));
    ini.setPath(dir / "other.ini");
    EXPECT_EQ("none", ini.getString("k", "none"));
}

TEST(IniFileUnset, EmptyPathReadsTheDefaultAndWritesNothing) {
    IniFile ini;
    EXPECT_EQ("default", ini.getString("key", "default"));
    ini.putString("key", "value");
    EXPECT_EQ("default", ini.getString("key", "default"));
}

} // namespace
