// What restoring and saving rely on of SHFileOperationA, checked the same way
// against the Windows API and against our Linux layer: the effects are read
// back with std::filesystem.
#include "platform/os.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

const FILEOP_FLAGS kQuiet =
    static_cast<FILEOP_FLAGS>(FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI | FOF_SILENT);

// A tree as relative path (with '/') -> contents; directories end in '/' and have no contents.
typedef std::map<std::string, std::string> Tree;

std::string describe(const Tree& tree) {
    std::ostringstream text;
    for (const auto& entry : tree) {
        text << "\n  " << entry.first;
        if (!entry.second.empty()) {
            text << " = " << entry.second;
        }
    }
    return tree.empty() ? std::string("\n  (empty)") : text.str();
}

std::string relativeName(const fs::path& path, const fs::path& root) {
    return path.lexically_relative(root).generic_string();
}

// What lies under `root`, read back from the file system.
Tree readTree(const fs::path& root) {
    Tree tree;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        const std::string name = relativeName(it->path(), root);
        if (it->is_directory()) {
            tree[name + "/"] = "";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            tree[name] = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        }
    }
    return tree;
}

// Makes what `tree` describes under `root`.
void writeTree(const fs::path& root, const Tree& tree) {
    fs::create_directories(root);
    for (const auto& entry : tree) {
        const fs::path path = root / fs::path(entry.first);
        if (!entry.first.empty() && entry.first.back() == '/') {
            fs::create_directories(path);
        } else {
            fs::create_directories(path.parent_path());
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << entry.second;
        }
    }
}

// `paths` as a double-NUL list.
std::string pathList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list += '\0';
    }
    list += '\0';
    return list;
}

// Every entry of the directory `path`, as the shell's wildcard names them.
std::string allIn(const fs::path& path) {
    return path.string() + "\\*";
}

// Runs one operation with the quiet flags; the result code.
int fileOperation(UINT function, const std::vector<std::string>& from, const std::vector<std::string>& to) {
    const std::string fromList = pathList(from);
    const std::string toList = pathList(to);
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = function;
    operation.pFrom = fromList.c_str();
    operation.pTo = to.empty() ? nullptr : toList.c_str();
    operation.fFlags = kQuiet;
    return SHFileOperationA(&operation);
}

const Tree kSource = {
    {"top.txt", "top"},
    {"sub/", ""},
    {"sub/middle.txt", "middle"},
    {"sub/deeper/", ""},
    {"sub/deeper/bottom.txt", "bottom"},
    {"sub/empty/", ""},
    {".dot", "dot"},
};

class ShellSemantics : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = fs::temp_directory_path() / (std::string("quorvane-shell-") + info->name());
        std::error_code ignored;
        fs::remove_all(root, ignored);
        fs::create_directories(root);
        source = root / "source";
        destination = root / "destination";
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path root;
    fs::path source;
    fs::path destination;
};

TEST_F(ShellSemantics, CopiesTheWholeTreeIntoExistingOrMissingDestinations) {
    writeTree(source, kSource);
    struct Case {
        const char* destination;
        bool exists;
    };
    const Case cases[] = {
        {"existing", true},
        {"missing", false},
        {"missing-parent/missing", false},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const fs::path target = root / fs::path(cases[i].destination);
        if (cases[i].exists) {
            fs::create_directories(target);
        }
        EXPECT_EQ(0, fileOperation(FO_COPY, {allIn(source)}, {target.string()})) << "case " << i;
        EXPECT_EQ(describe(kSource), describe(readTree(target))) << "case " << i;
        // The source is left as it was.
        EXPECT_EQ(describe(kSource), describe(readTree(source))) << "case " << i;
    }
}

TEST_F(ShellSemantics, CopyReplacesSameNamedFilesAndKeepsOthers) {
    writeTree(source, kSource);
    writeTree(destination, {
                               {"top.txt", "old top, longer than the new one"},
                               {"only-here.txt", "kept"},
                               {"sub/middle.txt", "old middle"},
                               {"sub/only-here-too.txt", "kept too"},
                               {"sub/deeper/", ""},
                           });
    EXPECT_EQ(0, fileOperation(FO_COPY, {allIn(source)}, {destination.string()}));
    Tree expected = kSource;
    expected["only-here.txt"] = "kept";
    expected["sub/only-here-too.txt"] = "kept too";
    EXPECT_EQ(describe(expected), describe(readTree(destination)));
}

TEST_F(ShellSemantics, DeletingEverythingInADirectoryLeavesTheDirectory) {
    writeTree(source, kSource);
    EXPECT_EQ(0, fileOperation(FO_DELETE, {allIn(source)}, {}));
    EXPECT_TRUE(fs::is_directory(source));
    EXPECT_EQ(describe(Tree()), describe(readTree(source)));
    EXPECT_TRUE(fs::is_directory(root));
}

TEST_F(ShellSemantics, DeletingAListRemovesJustThoseEntries) {
    writeTree(source, kSource);
    EXPECT_EQ(0, fileOperation(FO_DELETE, {(source / "top.txt").string(), (source / "sub").string()}, {}));
    EXPECT_EQ(describe(Tree{{".dot", "dot"}}), describe(readTree(source)));
}

TEST_F(ShellSemantics, MissingSourceIsAFailure) {
    // The codes differ between Windows versions; only success is defined.
    struct Case {
        UINT function;
        fs::path missing;
        bool wildcard;
        // False where implementations differ on the result code.
        bool failureDefined;
    };
    const Case cases[] = {
        {FO_COPY, root / "no-such-file.txt", false, true},
        // All of a directory that does not exist: Wine finds nothing to copy and
        // answers 0; our layer answers an error. The documentation has "the path
        // in the source was invalid" among the failures, as our layer reads it;
        // the program does not trust the answer and compares the trees itself.
        {FO_COPY, root / "no-such-directory", true, false},
        {FO_DELETE, root / "no-such-file.txt", false, true},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        const std::string from = c.wildcard ? allIn(c.missing) : c.missing.string();
        const std::vector<std::string> to =
            c.function == FO_COPY ? std::vector<std::string>{destination.string()} : std::vector<std::string>{};
        const int result = fileOperation(c.function, {from}, to);
        if (c.failureDefined) {
            EXPECT_NE(0, result) << "case " << i;
        }
        EXPECT_FALSE(fs::exists(c.missing)) << "case " << i;
        EXPECT_EQ(describe(Tree()), describe(readTree(destination))) << "case " << i << ": nothing arrives";
    }
}

} // namespace
