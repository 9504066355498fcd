// SHFileOperationA on Linux: FO_COPY and FO_DELETE on real temporary trees.
#include "support/special_files.h"
#include "shell_fixture.h"

#include <csignal>
#include <cstring>
#include <sys/wait.h>

namespace shell_test {
namespace {

TEST_F(ShellTest, WildcardCopyTakesNestedTreeWithContentsTimesAndModes) {
    ASSERT_EQ(0, mkdir((source + "/sub").c_str(), 0750));
    ASSERT_EQ(0, mkdir((source + "/sub/deeper").c_str(), 0700));
    ASSERT_EQ(0, mkdir((source + "/empty").c_str(), 0755));
    writeFile(source + "/top.txt", "top", 0640);
    writeFile(source + "/.dotfile", "dot", 0600);
    writeFile(source + "/sub/mid.bin", std::string(100000, 'm'), 0755);
    writeFile(source + "/sub/deeper/leaf", "leaf", 0444);
    writeFile(source + "/sub/empty-file", "", 0644);
    setTimes(source + "/top.txt", 1000000000, 123456789);
    setTimes(source + "/sub/deeper/leaf", 1100000000, 1);
    setTimes(source + "/sub/deeper", 1200000000, 987654321);
    setTimes(source + "/sub", 1300000000, 5);

    const Result result = copyContents(source, destination);
    EXPECT_EQ(0, result.code);
    EXPECT_FALSE(result.aborted);

    EXPECT_EQ("top", readFile(destination + "/top.txt"));
    EXPECT_EQ("dot", readFile(destination + "/.dotfile"));
    EXPECT_EQ(std::string(100000, 'm'), readFile(destination + "/sub/mid.bin"));
    EXPECT_EQ("leaf", readFile(destination + "/sub/deeper/leaf"));
    EXPECT_EQ("", readFile(destination + "/sub/empty-file"));
    EXPECT_TRUE(S_ISDIR(statOf(destination + "/empty").st_mode));

    EXPECT_EQ(0640u, statOf(destination + "/top.txt").st_mode & 07777);
    EXPECT_EQ(0600u, statOf(destination + "/.dotfile").st_mode & 07777);
    EXPECT_EQ(0755u, statOf(destination + "/sub/mid.bin").st_mode & 07777);
    EXPECT_EQ(0444u, statOf(destination + "/sub/deeper/leaf").st_mode & 07777);
    EXPECT_EQ(0750u, statOf(destination + "/sub").st_mode & 07777);
    EXPECT_EQ(0700u, statOf(destination + "/sub/deeper").st_mode & 07777);

    EXPECT_EQ(1000000000, statOf(destination + "/top.txt").st_mtim.tv_sec);
    EXPECT_EQ(123456789, statOf(destination + "/top.txt").st_mtim.tv_nsec);
    EXPECT_EQ(1100000000, statOf(destination + "/sub/deeper/leaf").st_mtim.tv_sec);
    // Directory times are set after their contents are written.
    EXPECT_EQ(1200000000, statOf(destination + "/sub/deeper").st_mtim.tv_sec);
    EXPECT_EQ(987654321, statOf(destination + "/sub/deeper").st_mtim.tv_nsec);
    EXPECT_EQ(1300000000, statOf(destination + "/sub").st_mtim.tv_sec);
    EXPECT_TRUE(temporaries(destination).empty());
}

TEST_F(ShellTest, CopyOfManyFilesUsesTheWorkersAndLosesNothing) {
    for (int d = 0; d < 20; ++d) {
        const std::string dir = source + "/d" + std::to_string(d);
        ASSERT_EQ(0, mkdir(dir.c_str(), 0755));
        for (int f = 0; f < 50; ++f) {
            writeFile(dir + "/f" + std::to_string(f), std::string(static_cast<std::size_t>(f * 37 + d), 'a' + f % 26));
        }
    }
    EXPECT_EQ(0, copyContents(source, destination).code);
    for (int d = 0; d < 20; ++d) {
        for (int f = 0; f < 50; ++f) {
            const std::string name = "/d" + std::to_string(d) + "/f" + std::to_string(f);
            ASSERT_EQ(std::string(static_cast<std::size_t>(f * 37 + d), 'a' + f % 26), readFile(destination + name))
                << name;
        }
    }
}

TEST_F(ShellTest, ReplacesAnExistingFileWithoutAsking) {
    writeFile(source + "/same.txt", "new content");
    ASSERT_EQ(0, mkdir(destination.c_str(), 0755));
    writeFile(destination + "/same.txt", "old");
    writeFile(destination + "/only-here.txt", "stays");

    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ("new content", readFile(destination + "/same.txt"));
    EXPECT_EQ("stays", readFile(destination + "/only-here.txt"));
}

TEST_F(ShellTest, ReplacesAFileOfTheSameSizeWhenItsTimeDiffers) {
    writeFile(source + "/f", "AAAA");
    setTimes(source + "/f", 1500000000, 2);
    ASSERT_EQ(0, mkdir(destination.c_str(), 0755));
    writeFile(destination + "/f", "BBBB");
    setTimes(destination + "/f", 1500000000, 1);
    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ("AAAA", readFile(destination + "/f"));
}

TEST_F(ShellTest, ReCopyKeepsUnchangedFilesAndTakesChangedOnes) {
    writeFile(source + "/a", "one");
    writeFile(source + "/b", "two");
    ASSERT_EQ(0, copyContents(source, destination).code);
    const ino_t before = statOf(destination + "/a").st_ino;
    writeFile(source + "/b", "changed");
    chmod((source + "/a").c_str(), 0600);
    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ(before, statOf(destination + "/a").st_ino); // not rewritten
    EXPECT_EQ(0600u, statOf(destination + "/a").st_mode & 07777);
    EXPECT_EQ("changed", readFile(destination + "/b"));
}

TEST_F(ShellTest, ReplacesAnEntryOfAnotherKind) {
    writeFile(source + "/was-dir", "now a file");
    ASSERT_EQ(0, mkdir((source + "/was-file").c_str(), 0755));
    writeFile(source + "/was-file/inner", "inner");
    ASSERT_EQ(0, symlink("/nonexistent", (source + "/was-file-2").c_str()));

    ASSERT_EQ(0, mkdir(destination.c_str(), 0755));
    ASSERT_EQ(0, mkdir((destination + "/was-dir").c_str(), 0755));
    ASSERT_EQ(0, mkdir((destination + "/was-dir/nested").c_str(), 0755));
    writeFile(destination + "/was-dir/nested/x", "x");
    writeFile(destination + "/was-file", "a file");
    ASSERT_EQ(0, mkdir((destination + "/was-file-2").c_str(), 0755));

    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ("now a file", readFile(destination + "/was-dir"));
    EXPECT_TRUE(S_ISDIR(statOf(destination + "/was-file").st_mode));
    EXPECT_EQ("inner", readFile(destination + "/was-file/inner"));
    EXPECT_TRUE(S_ISLNK(statOf(destination + "/was-file-2").st_mode));
}

TEST_F(ShellTest, CreatesAMissingDestinationWithItsParents) {
    writeFile(source + "/f", "content");
    const std::string target = root + "/a/b/c";
    EXPECT_EQ(0, copyContents(source, target).code);
    EXPECT_EQ("content", readFile(target + "/f"));
}

TEST_F(ShellTest, SourceWithoutWildcardIsCopiedUnderItsOwnName) {
    ASSERT_EQ(0, mkdir((source + "/tree").c_str(), 0711));
    writeFile(source + "/tree/f", "f");
    writeFile(source + "/single", "s");
    const Result result =
        run(FO_COPY, list({windowsForm(source + "/tree"), windowsForm(source + "/single")}), list({windowsForm(destination)}));
    EXPECT_EQ(0, result.code);
    EXPECT_EQ("f", readFile(destination + "/tree/f"));
    EXPECT_EQ(0711u, statOf(destination + "/tree").st_mode & 07777);
    EXPECT_EQ("s", readFile(destination + "/single"));
}

TEST_F(ShellTest, EmptySourceDirectoryIsSuccessWithNothingToDo) {
    const Result result = copyContents(source, destination);
    EXPECT_EQ(0, result.code);
    EXPECT_FALSE(result.aborted);
    EXPECT_TRUE(std::filesystem::is_empty(destination));
}

TEST_F(ShellTest, MissingSourceDirectoryFails) {
    const Result copy = copyContents(root + "/missing", destination);
    EXPECT_NE(0, copy.code);
    EXPECT_TRUE(copy.aborted);
    const Result copyNamed = run(FO_COPY, list({windowsForm(root + "/missing-file")}), list({windowsForm(destination)}));
    EXPECT_NE(0, copyNamed.code);
    EXPECT_TRUE(copyNamed.aborted);
    const Result removal = run(FO_DELETE, list({windowsForm(root + "/missing") + "\\*"}), "");
    EXPECT_NE(0, removal.code);
    EXPECT_TRUE(removal.aborted);
}

TEST_F(ShellTest, DeleteOfWildcardEmptiesTheDirectoryAndLeavesIt) {
    ASSERT_EQ(0, mkdir((source + "/sub").c_str(), 0755));
    ASSERT_EQ(0, mkdir((source + "/sub/readonly").c_str(), 0755));
    writeFile(source + "/sub/readonly/f", "f");
    ASSERT_EQ(0, chmod((source + "/sub/readonly").c_str(), 0555));
    writeFile(source + "/.hidden", "h");
    writeFile(source + "/plain", "p");
    ASSERT_EQ(0, symlink(root.c_str(), (source + "/link-to-root").c_str()));
    ASSERT_EQ(0, mkfifo((source + "/fifo").c_str(), 0644));
    writeFile(root + "/outside", "must stay");

    const Result result = run(FO_DELETE, list({windowsForm(source) + "\\*"}), "");
    EXPECT_EQ(0, result.code);
    EXPECT_FALSE(result.aborted);
    EXPECT_TRUE(S_ISDIR(statOf(source).st_mode));
    EXPECT_TRUE(std::filesystem::is_empty(source));
    EXPECT_EQ("must stay", readFile(root + "/outside")); // the link was removed, not followed
}

TEST_F(ShellTest, DeleteOfSeveralNamedPaths) {
    writeFile(source + "/a", "a");
    writeFile(source + "/b", "b");
    writeFile(source + "/c", "c");
    ASSERT_EQ(0, mkdir((source + "/d").c_str(), 0755));
    writeFile(source + "/d/inner", "i");
    const Result result =
        run(FO_DELETE, list({windowsForm(source + "/a"), windowsForm(source + "/d"), windowsForm(source + "/c")}), "");
    EXPECT_EQ(0, result.code);
    EXPECT_FALSE(exists(source + "/a"));
    EXPECT_TRUE(exists(source + "/b"));
    EXPECT_FALSE(exists(source + "/c"));
    EXPECT_FALSE(exists(source + "/d"));
}

TEST_F(ShellTest, SymbolicLinkToOutsideIsCopiedAsALink) {
    const std::string outside = root + "/outside";
    ASSERT_EQ(0, mkdir(outside.c_str(), 0755));
    writeFile(outside + "/secret", "outside data");
    ASSERT_EQ(0, symlink(outside.c_str(), (source + "/dirlink").c_str()));
    ASSERT_EQ(0, symlink((outside + "/secret").c_str(), (source + "/filelink").c_str()));
    ASSERT_EQ(0, symlink("relative/dangling", (source + "/dangling").c_str()));

    EXPECT_EQ(0, copyContents(source, destination).code);
    char target[4096] = {};
    ASSERT_TRUE(S_ISLNK(statOf(destination + "/dirlink").st_mode));
    ASSERT_GT(readlink((destination + "/dirlink").c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(outside, std::string(target));
    EXPECT_TRUE(S_ISLNK(statOf(destination + "/filelink").st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(destination + "/dangling").st_mode));
    // Nothing of the outside was copied, and the outside is untouched.
    EXPECT_EQ(3u, static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(destination),
                                                         std::filesystem::directory_iterator())));
    EXPECT_EQ("outside data", readFile(outside + "/secret"));

    // A second copy over the links changes nothing and does not follow them.
    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_TRUE(S_ISLNK(statOf(destination + "/dirlink").st_mode));
    EXPECT_EQ("outside data", readFile(outside + "/secret"));
}

TEST_F(ShellTest, FifoAndSocketNeverHangTheCopy) {
    ASSERT_EQ(0, mkfifo((source + "/fifo").c_str(), 0640));
    const int listener = test_support::bindSocketAt(source + "/socket");
    ASSERT_GE(listener, 0);
    writeFile(source + "/regular", "r");

    // In a child, so that a hang ends in a timeout instead of a stuck test run.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(30);
        const Result result = copyContents(source, destination);
        _exit(result.code != 0 && result.aborted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    close(listener);
    ASSERT_TRUE(WIFEXITED(status)) << "the copy hung or crashed";
    // The skipped socket makes the result non-zero: the copy is not complete.
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_TRUE(S_ISFIFO(statOf(destination + "/fifo").st_mode));
    EXPECT_EQ(0640u, statOf(destination + "/fifo").st_mode & 07777);
    EXPECT_FALSE(exists(destination + "/socket"));
    EXPECT_EQ("r", readFile(destination + "/regular"));
}

TEST_F(ShellTest, UnreadableSourceKeepsThePreviousGoodCopy) {
    writeFile(source + "/precious", std::string(300000, 'N'));
    writeFile(source + "/other", "other");
    ASSERT_EQ(0, mkdir(destination.c_str(), 0755));
    writeFile(destination + "/precious", "previous good copy");
    if (geteuid() != 0) {
        // Without root a real unreadable file does the same job as the seam.
        ASSERT_EQ(0, chmod((source + "/precious").c_str(), 0));
    } else {
        // Root reads through chmod 000: inject the read failure instead.
        platform_seams::setShellReadFailure("precious");
    }
    const Result result = copyContents(source, destination);
    EXPECT_NE(0, result.code);
    EXPECT_TRUE(result.aborted);
    EXPECT_EQ("previous good copy", readFile(destination + "/precious"));
    EXPECT_EQ("other", readFile(destination + "/other"));
    EXPECT_TRUE(temporaries(destination).empty());
}

TEST_F(ShellTest, FullDestinationKeepsPreviousFilesAndLeavesNoTemporaries) {
    ASSERT_EQ(0, mkdir(destination.c_str(), 0755));
    if (!test_support::mountSmallTmpfs(destination, "1m")) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    }
    struct Unmount {
        std::string path;
        ~Unmount() { test_support::unmount(path); }
    } unmount{destination};

    writeFile(destination + "/good", "previous good copy");
    writeFile(destination + "/small", "old small");
    writeFile(source + "/good", std::string(3 * 1024 * 1024, 'G'));
    writeFile(source + "/huge", std::string(2 * 1024 * 1024, 'H'));
    writeFile(source + "/small", "new small");

    const Result result = copyContents(source, destination);
    EXPECT_NE(0, result.code);
    EXPECT_TRUE(result.aborted);
    EXPECT_EQ("previous good copy", readFile(destination + "/good"));
    EXPECT_FALSE(exists(destination + "/huge"));
    // Written or not (a big temporary may have filled the disk at that moment), never half-written.
    const std::string small = readFile(destination + "/small");
    EXPECT_TRUE(small == "new small" || small == "old small") << small;
    EXPECT_TRUE(temporaries(destination).empty());
}

TEST_F(ShellTest, NamesInsideTheTreeAreRawBytes) {
    // 0x5C inside a name found in the tree is part of the name, not a separator.
    const std::string sjisName = "\x95\x5c-file";       // "表" in Shift_JIS, then "-file"
    const std::string backslashName = "back\\slash";    // a plain 0x5C in a Linux name
    const std::string sjisDir = "dir-\x83\x5c";         // "ソ" in Shift_JIS
    writeFile(source + "/" + sjisName, "sjis");
    writeFile(source + "/" + backslashName, "backslash");
    ASSERT_EQ(0, mkdir((source + "/" + sjisDir).c_str(), 0755));
    writeFile(source + "/" + sjisDir + "/" + backslashName, "nested");

    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ("sjis", readFile(destination + "/" + sjisName));
    EXPECT_EQ("backslash", readFile(destination + "/" + backslashName));
    EXPECT_EQ("nested", readFile(destination + "/" + sjisDir + "/" + backslashName));
    EXPECT_FALSE(exists(destination + "/back"));

    const Result removal = run(FO_DELETE, list({windowsForm(destination) + "\\*"}), "");
    EXPECT_EQ(0, removal.code);
    EXPECT_TRUE(std::filesystem::is_empty(destination));
}

TEST_F(ShellTest, HandedInPathWithShiftJisTrailByteUnderCodePage932) {
    platform_seams::setCodePage(932);
    const std::string sjisDir = source + "/ram-\x95\x5c"; // the 0x5C is a trail byte, part of the name
    ASSERT_EQ(0, mkdir(sjisDir.c_str(), 0755));
    writeFile(sjisDir + "/f", "in sjis dir");
    const Result result = copyContents(sjisDir, destination + "/\x83\x5c");
    EXPECT_EQ(0, result.code);
    EXPECT_EQ("in sjis dir", readFile(destination + "/\x83\x5c/f"));
}

TEST_F(ShellTest, CopyIntoItsOwnSubdirectoryEnds) {
    writeFile(source + "/f", "f");
    const Result result = copyContents(source, source + "/inner");
    EXPECT_NE(0, result.code);
    EXPECT_EQ("f", readFile(source + "/inner/f"));
    EXPECT_FALSE(exists(source + "/inner/inner"));
}

TEST_F(ShellTest, ProgramFlagsPrintNothingWhenStderrIsNotATerminal) {
    writeFile(source + "/f", "f");
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
}

TEST_F(ShellTest, WorksWithOneWorkerAndWithMany) {
    for (unsigned workers : {1u, 7u}) {
        platform_seams::setShellWorkers(workers);
        for (int f = 0; f < 40; ++f) {
            writeFile(source + "/f" + std::to_string(f), std::string(static_cast<std::size_t>(f * 1000), 'x'));
        }
        const std::string target = destination + std::to_string(workers);
        EXPECT_EQ(0, copyContents(source, target).code);
        for (int f = 0; f < 40; ++f) {
            EXPECT_EQ(static_cast<off_t>(f * 1000), statOf(target + "/f" + std::to_string(f)).st_size);
        }
    }
    platform_seams::setShellWorkers(0);
}

// A free name is filled through an unnamed O_TMPFILE linked when complete, through the /proc link
// where linkat(AT_EMPTY_PATH) is refused, or through a named temporary and a rename where the
// filesystem has no O_TMPFILE: each must give the same complete files and leave nothing behind.
TEST_F(ShellTest, EveryWayOfNamingNewFilesGivesTheSameCopy) {
    using platform_linux::copy_engine::NewFileNaming;
    const struct {
        NewFileNaming naming;
        const char* label;
    } cases[] = {
        {NewFileNaming::automatic, "automatic"},
        {NewFileNaming::tmpfileThroughProc, "O_TMPFILE linked through /proc"},
        {NewFileNaming::namedTemporary, "named temporary"},
    };
    ASSERT_EQ(0, mkdir((source + "/kept").c_str(), 0755));
    ASSERT_EQ(0, mkdir((source + "/new").c_str(), 0750));
    writeFile(source + "/plain", std::string(70000, 'p'), 0644);
    writeFile(source + "/group-writable", "g", 0664); // wider than the umask lets through at creation
    writeFile(source + "/sticky", "s", 01755);        // beyond 0777: set after creation
    writeFile(source + "/replaced", "new", 0444);
    writeFile(source + "/kept/empty", "", 0600);
    writeFile(source + "/kept/broken", "never complete");
    writeFile(source + "/new/inner", "inner", 0640);
    setTimes(source + "/plain", 1400000000, 42);
    setTimes(source + "/new/inner", 1400000001, 43);
    platform_seams::setShellReadFailure("broken");

    for (std::size_t index = 0; index < std::size(cases); ++index) {
        SCOPED_TRACE(cases[index].label);
        platform_linux::copy_engine::setNewFileNaming(cases[index].naming);
        // An existing destination (free names are found by looking) with a directory the copy creates.
        const std::string target = root + "/copy" + std::to_string(index);
        ASSERT_EQ(0, mkdir(target.c_str(), 0755));
        ASSERT_EQ(0, mkdir((target + "/kept").c_str(), 0755));
        writeFile(target + "/replaced", "previous", 0644);

        const Result result = copyContents(source, target);
        EXPECT_NE(0, result.code); // the unreadable file
        EXPECT_TRUE(result.aborted);

        EXPECT_EQ(std::string(70000, 'p'), readFile(target + "/plain"));
        EXPECT_EQ(1400000000, statOf(target + "/plain").st_mtim.tv_sec);
        EXPECT_EQ(42, statOf(target + "/plain").st_mtim.tv_nsec);
        EXPECT_EQ(0644u, statOf(target + "/plain").st_mode & 07777);
        EXPECT_EQ(0664u, statOf(target + "/group-writable").st_mode & 07777);
        EXPECT_EQ(01755u, statOf(target + "/sticky").st_mode & 07777);
        EXPECT_EQ("new", readFile(target + "/replaced"));
        EXPECT_EQ(0444u, statOf(target + "/replaced").st_mode & 07777);
        EXPECT_TRUE(exists(target + "/kept/empty"));
        EXPECT_EQ(0u, statOf(target + "/kept/empty").st_size);
        EXPECT_FALSE(exists(target + "/kept/broken")); // a failed new file leaves no name at all
        EXPECT_EQ("inner", readFile(target + "/new/inner"));
        EXPECT_EQ(0640u, statOf(target + "/new/inner").st_mode & 07777);
        EXPECT_EQ(1400000001, statOf(target + "/new/inner").st_mtim.tv_sec);
        EXPECT_EQ(0750u, statOf(target + "/new").st_mode & 07777);
        EXPECT_TRUE(temporaries(target).empty());
    }
}

TEST_F(ShellTest, HookRecordsCallsAndScriptsResults) {
    writeFile(source + "/f", "f");
    std::vector<std::pair<UINT, std::string>> calls;
    platform_seams::setShellHook([&calls](SHFILEOPSTRUCTA* operation) {
        calls.emplace_back(operation->wFunc, std::string(operation->pFrom));
        operation->fAnyOperationsAborted = TRUE;
        return 1234;
    });
    const Result hooked = copyContents(source, destination);
    EXPECT_EQ(1234, hooked.code);
    EXPECT_TRUE(hooked.aborted);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<UINT>(FO_COPY), calls[0].first);
    EXPECT_EQ(windowsForm(source) + "\\*", calls[0].second);
    EXPECT_FALSE(exists(destination)); // the real operation did not run

    // The hook can pass on to the real operation.
    platform_seams::setShellHook([&calls](SHFILEOPSTRUCTA* operation) {
        calls.emplace_back(operation->wFunc, std::string(operation->pFrom));
        return platform_seams::realShellFileOperation(operation);
    });
    EXPECT_EQ(0, copyContents(source, destination).code);
    EXPECT_EQ(2u, calls.size());
    EXPECT_EQ("f", readFile(destination + "/f"));

    platform_seams::setShellHook(nullptr);
    EXPECT_EQ(0, run(FO_DELETE, list({windowsForm(destination) + "\\*"}), "").code);
    EXPECT_EQ(2u, calls.size());
    EXPECT_FALSE(exists(destination + "/f"));
}

TEST_F(ShellTest, NullOperationAndUnsupportedFunctionFail) {
    EXPECT_NE(0, SHFileOperationA(nullptr));
    const Result move = run(FO_MOVE, list({windowsForm(source) + "\\*"}), list({windowsForm(destination)}));
    EXPECT_NE(0, move.code);
    EXPECT_TRUE(move.aborted);
}

} // namespace
} // namespace shell_test
