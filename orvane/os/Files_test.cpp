#include "orvane/os/Files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "orvane/os/Backend.h"
#include "orvane/testing/PlantedLink.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

using FilesTest = test::MachineTest;

// Writes text through a stream opened with mode; true when all went out.
bool WriteThrough(const std::string& path, const char* mode, const std::string& text) {
  FILE* stream = OpenFile(path, mode);
  if (stream == nullptr) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  return std::fclose(stream) == 0 && written;
}

std::string ReadThrough(const std::string& path, const char* mode) {
  FILE* stream = OpenFile(path, mode);
  EXPECT_NE(stream, nullptr) << path << ": code " << LastError();
  if (stream == nullptr) return std::string();
  std::string text;
  for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text.push_back(static_cast<char>(c));
  std::fclose(stream);
  return text;
}

std::vector<std::string> NamesIn(const std::string& directory, const std::string& pattern) {
  std::vector<std::string> names;
  Expected<std::vector<DirectoryEntry>> entries = ListDirectory(directory, pattern);
  if (!entries.ok()) return names;
  for (const DirectoryEntry& entry : *entries) names.push_back(entry.name);
  return names;
}

TEST_F(FilesTest, TextModeWritesCrLfAndReadsItBackAsLineFeeds) {
  ASSERT_TRUE(WriteThrough("C:\\WINNT\\text.ini", "w", "one\ntwo\n\nlast"));
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\text.ini"), "one\r\ntwo\r\n\r\nlast");
  EXPECT_EQ(ReadThrough("C:\\WINNT\\text.ini", "r"), "one\ntwo\n\nlast");

  ASSERT_TRUE(WriteThrough("C:\\WINNT\\text.ini", "a", "\nmore\n"));
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\text.ini"), "one\r\ntwo\r\n\r\nlast\r\nmore\r\n");
}

TEST_F(FilesTest, TextModeKeepsALoneCarriageReturnAndBinaryModeKeepsEveryByte) {
  machine.WriteFile("C:\\WINNT\\mixed.txt", std::string("a\r\nb\rc\n\r\r\nd\r"));
  EXPECT_EQ(ReadThrough("C:\\WINNT\\mixed.txt", "r"), "a\nb\rc\n\r\nd\r");
  EXPECT_EQ(ReadThrough("C:\\WINNT\\mixed.txt", "rb"), std::string("a\r\nb\rc\n\r\r\nd\r"));

  ASSERT_TRUE(WriteThrough("C:\\WINNT\\raw.bin", "wb", std::string("x\ny\0z\r\n", 7)));
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\raw.bin"), std::string("x\ny\0z\r\n", 7));
}

TEST_F(FilesTest, TextModeJoinsACrLfSplitAcrossReads) {
  // Long enough that a CR LF falls on the edge of any read-ahead buffer of a
  // power-of-two size up to 64 KiB.
  std::string stored, expected;
  for (int line = 0; line < 1500; ++line) {
    std::string text(static_cast<size_t>(line % 97), static_cast<char>('a' + line % 26));
    stored += text + "\r\n";
    expected += text + "\n";
  }
  stored += std::string(4095, 'x') + "\r\n";
  expected += std::string(4095, 'x') + "\n";
  machine.WriteFile("C:\\WINNT\\long.txt", stored);
  EXPECT_EQ(ReadThrough("C:\\WINNT\\long.txt", "r"), expected);

  FILE* stream = OpenFile("C:\\WINNT\\long.txt", "r");
  ASSERT_NE(stream, nullptr);
  std::vector<char> buffer(expected.size() + 10);
  EXPECT_EQ(std::fread(buffer.data(), 1, buffer.size(), stream), expected.size());
  EXPECT_EQ(std::string(buffer.data(), expected.size()), expected);
  std::fclose(stream);
}

TEST_F(FilesTest, TextModePositionsAreFileOffsets) {
  machine.WriteFile("C:\\WINNT\\lines.txt", "first\r\nsecond\r\nthird\r\n");
  FILE* stream = OpenFile("C:\\WINNT\\lines.txt", "r");
  ASSERT_NE(stream, nullptr);
  char line[64];
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "first\n");
  long second = std::ftell(stream);
  EXPECT_EQ(second, 7);
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "third\n");
  ASSERT_EQ(std::fseek(stream, second, SEEK_SET), 0);
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "second\n");
  std::rewind(stream);
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "first\n");
  std::fclose(stream);
}

TEST_F(FilesTest, ReopenFileSendsAStreamToAnotherFile) {
  FILE* stream = OpenFile("C:\\WINNT\\first.log", "wb");
  ASSERT_NE(stream, nullptr);
  FILE* reopened = ReopenFile("c:\\winnt\\SECOND.log", "w", stream);
  ASSERT_NE(reopened, nullptr);
  std::fputs("line\n", reopened);
  std::fclose(reopened);
  EXPECT_EQ(ReadThrough("C:\\WINNT\\SECOND.log", "r"), "line\n");
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\first.log"), "");
}

TEST_F(FilesTest, PathsMatchExistingNamesIgnoringCaseAndAcceptSlashes) {
  machine.WriteFile("C:\\Tessaly\\Config\\TQConfig.dat", "data");
  EXPECT_EQ(ReadThrough("c:/TESSALY/config/tqconfig.DAT", "rb"), "data");
  EXPECT_TRUE(PathExists("C:\\tessaly\\CONFIG\\TQCONFIG.DAT"));
  EXPECT_TRUE(DirectoryExists("c:\\TESSALY\\Config\\"));
  EXPECT_FALSE(DirectoryExists("C:\\Tessaly\\Config\\TQConfig.dat"));
  EXPECT_FALSE(PathExists("C:\\Tessaly\\Config\\missing.dat"));

  // A new file in an existing folder spelt otherwise lands in that folder.
  ASSERT_TRUE(WriteThrough("C:\\TESSALY\\CONFIG\\New.ini", "w", "x\n"));
  EXPECT_EQ(NamesIn("C:\\Tessaly\\Config", "*"), std::vector<std::string>({"New.ini", "TQConfig.dat"}));
  // Writing an existing file spelt otherwise rewrites it, keeping its name.
  ASSERT_TRUE(WriteThrough("C:\\Tessaly\\Config\\tqconfig.dat", "wb", "new"));
  EXPECT_EQ(machine.ReadFile("C:\\Tessaly\\Config\\TQConfig.dat"), "new");
  EXPECT_EQ(NamesIn("C:\\Tessaly\\Config", "*").size(), 2u);
}

// The backend's one look-up of what a path names agrees with its two.
TEST_F(FilesTest, KindOfPathAgreesWithPathExistsAndDirectoryExists) {
  machine.WriteFile("C:\\Tessaly\\Config\\TQConfig.dat", "data");
  const struct {
    const char* path;
    backend::PathKind kind;
  } cases[] = {
      {"c:/TESSALY/config/tqconfig.DAT", backend::PathKind::kFile},
      {"C:\\Tessaly\\CONFIG\\", backend::PathKind::kDirectory},
      {"C:\\Tessaly\\Config\\missing.dat", backend::PathKind::kMissing},
      {"C:\\Tessaly\\Config\\TQConfig.dat\\below", backend::PathKind::kMissing},
      {"C:\\Missing\\Folder", backend::PathKind::kMissing},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.path);
    EXPECT_EQ(backend::KindOfPath(test.path), test.kind);
    EXPECT_EQ(PathExists(test.path), test.kind != backend::PathKind::kMissing);
    EXPECT_EQ(DirectoryExists(test.path), test.kind == backend::PathKind::kDirectory);
  }
}

// The one look-up that the recording layer makes of a path must tell what
// the separate calls tell.
TEST_F(FilesTest, StateOfPathAgreesWithTheSeparateLookUps) {
  machine.WriteFile("C:\\Tessaly\\Config\\TQConfig.dat", "data\r\n");
  machine.WriteFile("C:\\Tessaly\\Config\\empty.dat", "");
  std::vector<std::string> paths = {"c:/TESSALY/config/tqconfig.DAT", "C:\\Tessaly\\Config\\empty.dat",
                                    "C:\\Tessaly\\CONFIG\\", "C:\\Tessaly\\Config\\missing.dat",
                                    "C:\\Missing\\Folder"};
#if !defined(_WIN32)
  const std::string config = machine.HostPath("C:\\Tessaly\\Config");
  ASSERT_EQ(symlink("TQConfig.dat", (config + "/link.dat").c_str()), 0);
  ASSERT_EQ(symlink("gone.dat", (config + "/dangling.dat").c_str()), 0);
  paths.push_back("C:\\Tessaly\\Config\\LINK.dat");
  paths.push_back("C:\\Tessaly\\Config\\dangling.dat");
#endif
  for (const std::string& path : paths) {
    for (const bool withBytes : {false, true}) {
      SCOPED_TRACE(path + (withBytes ? " with bytes" : ""));
      const backend::PathState state = backend::StateOfPath(path, withBytes);
      EXPECT_EQ(state.kind, backend::KindOfPath(path));
      const Expected<int> mode = backend::FileMode(path);
      ASSERT_EQ(state.mode.ok(), mode.ok());
      if (mode.ok()) {
        EXPECT_EQ(*state.mode, *mode);
      } else {
        EXPECT_EQ(state.mode.status().code() == kNotSupported,
                  mode.status().code() == kNotSupported);
      }
      const bool file = state.kind == backend::PathKind::kFile;
      EXPECT_EQ(state.bytes, withBytes && file ? std::optional<std::string>(ReadThrough(path, "rb"))
                                               : std::nullopt);
    }
  }
}

TEST_F(FilesTest, OpenFileTellsAMissingFileFromAMissingFolder) {
  EXPECT_EQ(OpenFile("C:\\WINNT\\missing.txt", "r"), nullptr);
  EXPECT_EQ(LastError(), kFileNotFound);
  EXPECT_EQ(OpenFile("C:\\No Such Folder\\file.txt", "w"), nullptr);
  EXPECT_EQ(LastError(), kPathNotFound);
  EXPECT_FALSE(machine.FileExists("C:\\No Such Folder"));
}

TEST_F(FilesTest, CopyFileOverwritesUnlessAskedNotTo) {
  machine.WriteFile("C:\\src\\a.exe", "new program");
  machine.WriteFile("C:\\dst\\a.exe", "old program, longer");
  ASSERT_TRUE(CopyFile("C:\\src\\a.exe", "C:\\dst\\a.exe").ok());
  EXPECT_EQ(machine.ReadFile("C:\\dst\\a.exe"), "new program");

  machine.WriteFile("C:\\src\\a.exe", "newer program");
  Status refused = CopyFile("C:\\src\\a.exe", "C:\\dst\\A.EXE", true);
  EXPECT_EQ(refused.code(), kFileExists);
  EXPECT_EQ(machine.ReadFile("C:\\dst\\a.exe"), "new program");

  EXPECT_EQ(CopyFile("C:\\src\\missing.exe", "C:\\dst\\b.exe").code(), kFileNotFound);
  EXPECT_EQ(CopyFile("C:\\src\\a.exe", "C:\\missing\\b.exe").code(), kPathNotFound);
  EXPECT_TRUE(CopyFile("C:\\src\\a.exe", "C:\\dst\\b.exe", true).ok());
  EXPECT_EQ(machine.ReadFile("C:\\dst\\b.exe"), "newer program");
}

TEST_F(FilesTest, MoveFileReplacesTheTargetAndCanChangeLetterCase) {
  machine.WriteFile("C:\\x\\tessaly.ini", "current");
  machine.WriteFile("C:\\x\\tessaly.old.ini", "previous");
  ASSERT_TRUE(MoveFile("C:\\x\\tessaly.ini", "C:\\x\\tessaly.old.ini").ok());
  EXPECT_FALSE(machine.FileExists("C:\\x\\tessaly.ini"));
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.old.ini"), "current");

  ASSERT_TRUE(MoveFile("C:\\x\\tessaly.old.ini", "C:\\x\\Tessaly.OLD.ini").ok());
  EXPECT_EQ(NamesIn("C:\\x", "*"), std::vector<std::string>({"Tessaly.OLD.ini"}));

  ASSERT_TRUE(CreateDirectory("C:\\x\\sub").ok());
  ASSERT_TRUE(MoveFile("C:\\x\\sub", "C:\\x\\renamed").ok());
  EXPECT_TRUE(DirectoryExists("C:\\x\\renamed"));

  EXPECT_EQ(MoveFile("C:\\x\\missing", "C:\\x\\other").code(), kFileNotFound);
  EXPECT_EQ(MoveFile("C:\\x\\Tessaly.OLD.ini", "C:\\x\\renamed").code(), kAccessDenied)
      << "a folder is not replaced by a file";
  EXPECT_TRUE(machine.FileExists("C:\\x\\Tessaly.OLD.ini"));
}

TEST_F(FilesTest, DeleteFileRemovesFilesOnly) {
  machine.WriteFile("C:\\x\\file.txt", "x");
  EXPECT_EQ(DeleteFile("C:\\x").code(), kAccessDenied);
  EXPECT_TRUE(DeleteFile("C:\\X\\FILE.TXT").ok());
  EXPECT_FALSE(machine.FileExists("C:\\x\\file.txt"));
  EXPECT_EQ(DeleteFile("C:\\x\\file.txt").code(), kFileNotFound);
  EXPECT_EQ(LastError(), kFileNotFound);
}

TEST_F(FilesTest, DirectoriesAreMadeOneLevelAtATimeAndRemovedWhenEmpty) {
  EXPECT_EQ(CreateDirectory("C:\\a\\b").code(), kPathNotFound);
  ASSERT_TRUE(CreateDirectory("C:\\a").ok());
  EXPECT_EQ(CreateDirectory("C:\\A").code(), kAlreadyExists);
  ASSERT_TRUE(CreateDirectory("C:\\a\\b").ok());
  machine.WriteFile("C:\\a\\b\\f.txt", "x");

  EXPECT_EQ(RemoveDirectory("C:\\a\\b").code(), kDirectoryNotEmpty);
  ASSERT_TRUE(DeleteFile("C:\\a\\b\\f.txt").ok());
  EXPECT_TRUE(RemoveDirectory("C:\\A\\B").ok());
  EXPECT_FALSE(DirectoryExists("C:\\a\\b"));
  EXPECT_TRUE(DirectoryExists("C:\\a"));
}

TEST_F(FilesTest, ListDirectoryMatchesWildcardsIgnoringCase) {
  for (const char* name : {"tessaly.ini", "Scheduler.INI", "srvrctrl.ini", "tqconfig.dat", "readme"}) {
    machine.WriteFile(std::string("C:\\inst\\") + name, "x");
  }
  ASSERT_TRUE(CreateDirectory("C:\\inst\\logs").ok());

  EXPECT_EQ(NamesIn("C:\\inst", "*.ini"),
            std::vector<std::string>({"Scheduler.INI", "srvrctrl.ini", "tessaly.ini"}));
  EXPECT_EQ(NamesIn("C:\\inst", "s*.in?"), std::vector<std::string>({"Scheduler.INI", "srvrctrl.ini"}));
  EXPECT_EQ(NamesIn("C:\\inst", "*.*").size(), 6u);

  Expected<std::vector<DirectoryEntry>> all = ListDirectory("C:\\INST");
  ASSERT_TRUE(all.ok());
  ASSERT_EQ(all->size(), 6u);
  for (const DirectoryEntry& entry : *all) {
    EXPECT_EQ(entry.isDirectory, entry.name == "logs") << entry.name;
  }

  EXPECT_EQ(ListDirectory("C:\\inst", "*.cfg").status().code(), kFileNotFound);
  EXPECT_EQ(ListDirectory("C:\\inst\\logs").status().code(), kFileNotFound);
  EXPECT_EQ(ListDirectory("C:\\missing").status().code(), kPathNotFound);
}

TEST_F(FilesTest, ALockAttemptFailsAtOnceWhileTheLockIsHeld) {
  const std::string path = "C:\\WINNT\\setup.lock";
  {
    FileLock holder(path);
    ASSERT_TRUE(holder.status().ok());
    FileLock attempt(path, LockWait::kFailIfHeld);
    EXPECT_EQ(attempt.status().code(), kLockViolation);
  }
  FileLock attempt(path, LockWait::kFailIfHeld);
  EXPECT_TRUE(attempt.status().ok()) << "released with its holder";
}

TEST_F(FilesTest, ShortPathOfAnExistingShortPathIsThePath) {
  machine.WriteFile("C:\\WINNT\\a.txt", "x");
  Expected<std::string> shortPath = ShortPathName("C:\\WINNT\\a.txt");
  ASSERT_TRUE(shortPath.ok());
  EXPECT_EQ(*shortPath, "C:\\WINNT\\a.txt");
  EXPECT_FALSE(ShortPathName("C:\\WINNT\\missing.txt").ok());
}

TEST_F(FilesTest, ReplacementWithBackupKeepsThePreviousContent) {
  machine.WriteFile("C:\\x\\a.ini", "first");
  machine.WriteFile("C:\\x\\a.old.ini", "older");
  {
    ReplacementFile replacement("C:\\x\\a.ini", "wb");
    ASSERT_NE(replacement.stream(), nullptr);
    std::fputs("second", replacement.stream());
    ASSERT_TRUE(replacement.Commit("C:\\x\\a.old.ini").ok());
  }
  EXPECT_EQ(machine.ReadFile("C:\\x\\a.ini"), "second");
  EXPECT_EQ(machine.ReadFile("C:\\x\\a.old.ini"), "first");
  EXPECT_EQ(NamesIn("C:\\x", "*"), (std::vector<std::string>{"a.ini", "a.old.ini"}));

  // A new file leaves no backup behind.
  ReplacementFile fresh("C:\\x\\b.ini", "wb");
  ASSERT_NE(fresh.stream(), nullptr);
  std::fputs("new", fresh.stream());
  ASSERT_TRUE(fresh.Commit("C:\\x\\b.old.ini").ok());
  EXPECT_EQ(machine.ReadFile("C:\\x\\b.ini"), "new");
  EXPECT_FALSE(machine.FileExists("C:\\x\\b.old.ini"));
}

// New content that equals the file's leaves the file and its backup as they
// are; other bytes, or the same bytes closed to others, replace them.
TEST_F(FilesTest, ReplacementWithTheSameContentKeepsFileAndBackup) {
  struct Case {
    const char* bytes;
    int newFileMode;
    ReplacedFileMode modeRule;
    const char* backup;
  };
  const Case cases[] = {
      {"first", 0666, ReplacedFileMode::kKept, "older"},
      {"first, then more", 0666, ReplacedFileMode::kKept, "first"},
      {"first", 0600, ReplacedFileMode::kReset, "first"},
  };
  for (const Case& c : cases) {
    machine.WriteFile("C:\\x\\a.ini", "first");
    machine.WriteFile("C:\\x\\a.old.ini", "older");
    {
      ReplacementFile replacement("C:\\x\\a.ini", "wb", c.newFileMode, c.modeRule);
      ASSERT_NE(replacement.stream(), nullptr);
      std::fputs(c.bytes, replacement.stream());
      ASSERT_TRUE(replacement.Commit("C:\\x\\a.old.ini").ok()) << c.bytes;
    }
    EXPECT_EQ(machine.ReadFile("C:\\x\\a.ini"), c.bytes);
    EXPECT_EQ(machine.ReadFile("C:\\x\\a.old.ini"), c.backup) << c.bytes;
    EXPECT_EQ(NamesIn("C:\\x", "*"), (std::vector<std::string>{"a.ini", "a.old.ini"})) << c.bytes;
  }
}

TEST_F(FilesTest, OwnerAndModeHooksSucceedOnExistingFiles) {
  machine.WriteFile("C:\\WINNT\\a.txt", "x");
  EXPECT_TRUE(SetFileMode("C:\\WINNT\\a.txt", 0644).ok());
  EXPECT_TRUE(SetFileOwner("C:\\WINNT\\a.txt", "Administrator").ok());
}


// Anyone may write the web folder: links planted there, at a file's name or
// in place of a folder, must not lead the seam's writes anywhere else.
class PlantedLinkTest : public FilesTest {
 protected:
  static constexpr char kVictim[] = "C:\\WINNT\\httpd.cnf";
  static constexpr char kWeb[] = "C:\\WWW\\html\\shop1";

  void SetUp() override {
    machine.WriteFile(kVictim, "victim");
    machine.WriteFile("C:\\outside\\keep.txt", "kept");
    machine.WriteFile("C:\\source.txt", "new");
    machine.WriteFile(In("c.ini"), "old");
    ASSERT_TRUE(SetFileMode(kVictim, 0640).ok());
    ASSERT_TRUE(SetFileMode(kWeb, 0777).ok());
  }

  static std::string In(const std::string& name) { return std::string(kWeb) + "\\" + name; }

  // Plants the link as a user without rights; skips the test when the
  // system cannot.
  void Plant(const std::string& name, const std::string& target) {
    const std::string failure = test::PlantLink(In(name), target);
    if (!failure.empty()) GTEST_SKIP() << failure;
  }

  void ExpectVictimUntouched(const std::string& what) {
    EXPECT_EQ(machine.ReadFile(kVictim), "victim") << what;
    EXPECT_EQ(machine.ReadFile("C:\\outside\\keep.txt"), "kept") << what;
    EXPECT_EQ(NamesIn("C:\\outside", "*"), std::vector<std::string>{"keep.txt"}) << what;
#if !defined(_WIN32)
    struct stat info;
    ASSERT_EQ(::stat(machine.HostPath(kVictim).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << what;
#endif
  }
};

Status Replace(const std::string& path, const std::string& backup = std::string()) {
  ReplacementFile file(path, "wb");
  if (file.stream() != nullptr) std::fputs("new", file.stream());
  return backup.empty() ? file.Commit() : file.Commit(backup);
}

Status Open(const std::string& path, const char* mode) {
  FILE* stream = OpenFile(path, mode);
  if (stream == nullptr) return Status::Failure(LastError());
  std::fputs("new", stream);
  std::fclose(stream);
  return Status();
}

#if defined(_WIN32)
constexpr unsigned long kRefusedMode = kSuccess;  // no modes on Windows
#else
constexpr unsigned long kRefusedMode = kAccessDenied;
#endif

TEST_F(PlantedLinkTest, ALinkAtAFilesNameIsReplacedOrRefusedNeverFollowed) {
  struct Case {
    const char* link;
    std::function<Status()> write;
    unsigned long code;
    const char* content;  // at the link's name afterwards; null: not looked at
  };
  const std::vector<Case> cases = {
      {"a.ini", [] { return Replace(In("a.ini")); }, kSuccess, "new"},
      {"b.ini", [] { return Replace(In("b.ini"), In("b.old.ini")); }, kSuccess, "new"},
      {"c.old.ini", [] { return Replace(In("c.ini"), In("c.old.ini")); }, kSuccess, "old"},
      {"d.ini", [] { return CopyFile("C:\\source.txt", In("d.ini")); }, kSuccess, "new"},
      {"e.ini", [] { return Open(In("e.ini"), "w"); }, kAccessDenied, nullptr},
      {"f.ini", [] { return Open(In("f.ini"), "a"); }, kAccessDenied, nullptr},
      {"g.ini", [] { return SetFileMode(In("g.ini"), 0666); }, kRefusedMode, nullptr},
  };
  for (const Case& c : cases) {
    Plant(c.link, "..\\..\\..\\WINNT\\httpd.cnf");
    if (IsSkipped()) return;
    EXPECT_EQ(c.write().code(), c.code) << c.link;
    if (c.content != nullptr) {
      EXPECT_FALSE(IsLink(In(c.link))) << c.link;
      EXPECT_EQ(machine.ReadFile(In(c.link)), c.content) << c.link;
    }
    ExpectVictimUntouched(c.link);
  }
  // A link is never kept as the backup of the file it stood for.
  EXPECT_FALSE(PathExists(In("b.old.ini")));
}

TEST_F(PlantedLinkTest, NothingIsWrittenIntoAFolderReachedThroughALink) {
  Plant("sub", "C:\\outside");
  if (IsSkipped()) return;
  const std::vector<std::pair<const char*, std::function<Status()>>> writes = {
      {"replace", [] { return Replace(In("sub\\x.ini")); }},
      {"replace keep.txt", [] { return Replace(In("sub\\keep.txt"), In("sub\\keep.old")); }},
      {"copy", [] { return CopyFile("C:\\source.txt", In("sub\\y.ini")); }},
      {"open", [] { return Open(In("sub\\z.ini"), "w"); }},
      {"make a folder", [] { return CreateDirectory(In("sub\\d")); }},
      {"move", [] { return MoveFile("C:\\source.txt", In("sub\\m.ini")); }},
      {"delete", [] { return DeleteFile(In("sub\\keep.txt")); }},
      {"lock", [] { return FileLock(In("sub\\l.lock")).status(); }},
  };
  for (const auto& [what, write] : writes) {
    EXPECT_EQ(write().code(), kAccessDenied) << what;
    ExpectVictimUntouched(what);
  }
  EXPECT_EQ(SetFileMode(In("sub\\keep.txt"), 0600).code(), kRefusedMode);
  ExpectVictimUntouched("mode");
}

#if !defined(_WIN32)
// A file is created with the mode asked for, in both stream kinds; one that
// exists keeps its own.
TEST_F(FilesTest, ACreatedFileHasItsModeFromTheStart) {
  for (const char* mode : {"w", "wb", "wx", "a"}) {
    const std::string path = std::string("C:\\private-") + (mode[1] == 'b' ? "b" : mode);
    FILE* stream = OpenFile(path, mode, 0600);
    ASSERT_NE(stream, nullptr) << mode;
    struct stat info;
    ASSERT_EQ(::stat(machine.HostPath(path).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << mode;
    std::fclose(stream);
  }
  machine.WriteFile("C:\\shared.txt", "x");
  ASSERT_TRUE(SetFileMode("C:\\shared.txt", 0644).ok());
  std::fclose(OpenFile("C:\\shared.txt", "w", 0600));
  struct stat info;
  ASSERT_EQ(::stat(machine.HostPath("C:\\shared.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}
#endif

}  // namespace
}  // namespace orvane::os
