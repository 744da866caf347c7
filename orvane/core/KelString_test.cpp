#include "orvane/core/KelString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

// A temporary file holding bytes, positioned at its start; closed (and so
// removed) on destruction.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes = std::string()) : file_(std::tmpfile()) {
    EXPECT_NE(file_, nullptr);
    if (file_ == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::rewind(file_);
  }
  ~TempFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  FILE* get() const { return file_; }

  // Everything in the file, from its start.
  std::string Contents() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string bytes;
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) {
      bytes += static_cast<char>(c);
    }
    return bytes;
  }

 private:
  FILE* file_;
};

// The text pointer that every empty string shares.
const char* SharedEmptyText() {
  static const KelString empty;
  return empty;
}

TEST(KelStringTest, EveryEmptyStringSharesOneTextAndOwnsNothing) {
  const char* shared = SharedEmptyText();
  EXPECT_STREQ(shared, "");

  const KelString fromNothing;
  const KelString fromEmptyText("");
  const KelString fromNull(static_cast<const char*>(nullptr));
  const KelString copyOfEmpty(fromEmptyText);
  KelString emptied("abc");
  emptied.Empty();
  KelString assignedEmpty("abc");
  assignedEmpty = "";
  KelString assignedEmptyString("abc");
  assignedEmptyString = KelString();
  const KelString sumOfEmpties = KelString() + "";

  for (const KelString* s : std::initializer_list<const KelString*>{
           &fromNothing, &fromEmptyText, &fromNull, &copyOfEmpty, &emptied, &assignedEmpty,
           &assignedEmptyString, &sumOfEmpties}) {
    EXPECT_EQ(static_cast<const char*>(*s), shared);
    EXPECT_EQ(s->GetLength(), 0);
    EXPECT_NE(s->IsEmpty(), 0);
  }
}

TEST(KelStringTest, EmptyStringIgnoresWritesThroughItsInterface) {
  KelString empty;
  empty.SetAt(0, 'x');
  empty.ToUpper();
  EXPECT_EQ(empty.Truncate(0), 0);
  empty += "";
  empty += KelString();
  EXPECT_EQ(static_cast<const char*>(empty), SharedEmptyText());
  EXPECT_STREQ(SharedEmptyText(), "");
}

TEST(KelStringTest, CopiesAreDeepAndOutliveTheirOriginals) {
  KelString* original = new KelString("C:\\Tessaly");
  const KelString copy(*original);
  KelString assigned;
  assigned = *original;
  EXPECT_NE(static_cast<const char*>(copy), static_cast<const char*>(*original));

  original->SetAt(0, 'D');
  delete original;

  EXPECT_STREQ(copy, "C:\\Tessaly");
  EXPECT_STREQ(assigned, "C:\\Tessaly");
  EXPECT_EQ(copy.GetLength(), 10);
}

TEST(KelStringTest, CopyUsesTheStoredLength) {
  KelString s("abcdef");
  s.Truncate(3);
  const KelString copy(s);
  EXPECT_STREQ(copy, "abc");
  EXPECT_EQ(copy.GetLength(), 3);
}

TEST(KelStringTest, AssignmentFromItselfOrItsOwnBuffer) {
  KelString s("abcdef");
  const KelString& same = s;
  s = same;
  EXPECT_STREQ(s, "abcdef");

  s = static_cast<const char*>(s);
  EXPECT_STREQ(s, "abcdef");

  s = static_cast<const char*>(s) + 2;
  EXPECT_STREQ(s, "cdef");
  EXPECT_EQ(s.GetLength(), 4);

  s = static_cast<const char*>(s) + s.GetLength();  // its own terminating NUL
  EXPECT_EQ(static_cast<const char*>(s), SharedEmptyText());
}

TEST(KelStringTest, AppendingToItselfDoubles) {
  KelString s("ab");
  s += s;
  EXPECT_STREQ(s, "abab");
  s += static_cast<const char*>(s) + 3;
  EXPECT_STREQ(s, "ababb");
  EXPECT_EQ(s.GetLength(), 5);
}

TEST(KelStringTest, AppendingNothingKeepsTheBuffer) {
  KelString s("ab");
  const char* before = s;
  s += "";
  s += KelString();
  s += static_cast<const char*>(nullptr);
  EXPECT_EQ(static_cast<const char*>(s), before);

  KelString empty;
  empty += "cd";
  EXPECT_STREQ(empty, "cd");
}

TEST(KelStringTest, ConcatenationWithAnEmptySideCopiesTheOther) {
  const KelString ab("ab");
  const KelString sum = ab + KelString();
  EXPECT_STREQ(sum, "ab");
  EXPECT_NE(static_cast<const char*>(sum), static_cast<const char*>(ab));
  EXPECT_STREQ("" + ab, "ab");
  EXPECT_STREQ(ab + static_cast<const char*>(nullptr), "ab");
  EXPECT_STREQ(ab + "cd", "abcd");
  EXPECT_STREQ("cd" + ab, "cdab");
  EXPECT_STREQ(ab + ab, "abab");
  EXPECT_EQ((ab + "cd").GetLength(), 4);
}

TEST(KelStringTest, PathJoinPlacesOneBackslashUnconditionally) {
  EXPECT_STREQ(KelString("C:\\x") ^ "y.cfg", "C:\\x\\y.cfg");
  EXPECT_STREQ(KelString() ^ KelString(), "\\");
  EXPECT_STREQ(KelString() ^ "b", "\\b");
  EXPECT_STREQ("a" ^ KelString(), "a\\");
  EXPECT_STREQ(KelString("a\\") ^ "b", "a\\\\b");
  EXPECT_STREQ(KelString("a") ^ static_cast<const char*>(nullptr), "a\\");
  EXPECT_STREQ("C:" ^ KelString("WINNT") ^ "system32", "C:\\WINNT\\system32");
  EXPECT_EQ((KelString("a") ^ KelString("b")).GetLength(), 3);
}

TEST(KelStringTest, GetAtAndSetAtStayInsideTheCharacters) {
  KelString s("abc");
  EXPECT_EQ(s.GetAt(0), 'a');
  EXPECT_EQ(s.GetAt(2), 'c');
  EXPECT_EQ(s.GetAt(3), '\0');
  EXPECT_EQ(s.GetAt(-1), '\0');
  EXPECT_EQ(s.GetAt(1000), '\0');

  s.SetAt(1, 'X');
  s.SetAt(3, 'Y');
  s.SetAt(-1, 'Y');
  EXPECT_STREQ(s, "aXc");
  EXPECT_EQ(s.GetLength(), 3);
}

TEST(KelStringTest, TruncateCutsInPlaceOnlyBelowTheLength) {
  KelString s("abcdef");
  const char* buffer = s;
  EXPECT_EQ(s.Truncate(6), 0);
  EXPECT_EQ(s.Truncate(7), 0);
  EXPECT_EQ(s.Truncate(-1), 0);
  EXPECT_STREQ(s, "abcdef");

  EXPECT_EQ(s.Truncate(3), 1);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_EQ(static_cast<const char*>(s), buffer);
  EXPECT_EQ(s.GetAt(3), '\0');

  EXPECT_EQ(s.Truncate(0), 1);
  EXPECT_NE(s.IsEmpty(), 0);
  EXPECT_STREQ(s, "");
  s += "xy";  // the kept buffer is released as the string grows again
  EXPECT_STREQ(s, "xy");
}

TEST(KelStringTest, ToUpperFoldsOnlyAsciiLetters) {
  KelString s("a-z\xe4\xfc{}`Z09");
  s.ToUpper();
  EXPECT_STREQ(s, "A-Z\xe4\xfc{}`Z09");
}

TEST(KelStringTest, FindIsExactAndFindPathIgnoresCase) {
  KelString path("C:\\Program Files\\x");
  EXPECT_EQ(path.FindPath("program files"), 3);
  EXPECT_EQ(path.Find("program files"), -1);
  EXPECT_EQ(path.Find("Program Files"), 3);
  EXPECT_EQ(path.Find(""), 0);
  EXPECT_EQ(path.FindPath(""), 0);
  EXPECT_EQ(path.Find("\\x"), 16);
  EXPECT_EQ(path.FindPath("\\X\\"), -1);
  EXPECT_EQ(path.Find(nullptr), -1);
  EXPECT_STREQ(path, "C:\\Program Files\\x");  // FindPath works on copies

  KelString empty;
  EXPECT_EQ(empty.Find(""), 0);
  EXPECT_EQ(empty.Find("a"), -1);
  EXPECT_EQ(KelString("aab").Find("ab"), 1);
}

TEST(KelStringTest, StoreWritesTheTextUpToItsFirstNulAndALineEnd) {
  TempFile file;
  EXPECT_EQ(KelString("abc").Store(file.get()), 1);
  EXPECT_EQ(KelString().Store(file.get()), 1);
  KelString cut("ab-cd");
  cut.SetAt(2, '\0');
  EXPECT_EQ(cut.Store(file.get()), 1);
  EXPECT_EQ(file.Contents(), "abc\n\nab\n");
}

TEST(KelStringTest, StoreReportsAFailedWrite) {
  const std::string path = ::testing::TempDir() + "KelStringTest_StoreReportsAFailedWrite.txt";
  FILE* created = std::fopen(path.c_str(), "w");
  ASSERT_NE(created, nullptr);
  std::fclose(created);
  FILE* readOnly = std::fopen(path.c_str(), "r");
  ASSERT_NE(readOnly, nullptr);
  EXPECT_EQ(KelString("abc").Store(readOnly), 0);
  std::fclose(readOnly);
  std::remove(path.c_str());
}

TEST(KelStringTest, StoredValuesLoadBack) {
  const std::string longest(511, 'x');
  const char* values[] = {"C:\\Tessaly\\SHOP", "", "a b\tc", "\xff\xfe", longest.c_str()};
  TempFile file;
  for (const char* value : values) ASSERT_EQ(KelString(value).Store(file.get()), 1);
  std::rewind(file.get());
  for (const char* value : values) {
    KelString loaded("stale");
    EXPECT_EQ(loaded.Load(file.get()), 1);
    EXPECT_STREQ(loaded, value);
  }
}

TEST(KelStringTest, LoadAcceptsBothLineEnds) {
  TempFile file("abc\r\ndef\na\rb\r\n\r\n");
  KelString s;
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "def");
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "a\rb");  // a lone CR is an ordinary character
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_EQ(static_cast<const char*>(s), SharedEmptyText());
  EXPECT_EQ(s.Load(file.get()), 0);
}

TEST(KelStringTest, LoadAtEndOfFileGivesTheEmptyString) {
  TempFile file;
  KelString s("stale");
  EXPECT_EQ(s.Load(file.get()), 0);
  EXPECT_EQ(static_cast<const char*>(s), SharedEmptyText());
}

TEST(KelStringTest, LastLineWithoutLineEndIsKeptButReported) {
  TempFile file("abc\ndef");
  KelString s;
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_EQ(s.Load(file.get()), 0);
  EXPECT_STREQ(s, "def");

  TempFile endsInCr("ghi\r");
  EXPECT_EQ(s.Load(endsInCr.get()), 0);
  EXPECT_STREQ(s, "ghi\r");
}

TEST(KelStringTest, ByteTwoFiftyFiveIsAnOrdinaryCharacter) {
  TempFile file("a\377b\n\377");
  KelString s;
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "a\377b");
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_EQ(s.Load(file.get()), 0);
  EXPECT_STREQ(s, "\xff");
  EXPECT_EQ(s.Load(file.get()), 0);
  EXPECT_STREQ(s, "");
}

TEST(KelStringTest, NulInsideALineCutsTheValueButNotTheLine) {
  TempFile file(std::string("ab\0cd\nnext\n", 11));
  KelString s;
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "ab");
  EXPECT_EQ(s.GetLength(), 2);
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "next");
}

TEST(KelStringTest, LineOf511CharactersIsTheLongestThatLoadsWhole) {
  const std::string line(511, 'a');
  TempFile file(line + "\r\nz\n");
  KelString s;
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_EQ(s.GetLength(), 511);
  EXPECT_STREQ(s, line.c_str());
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, "z");
}

TEST(KelStringTest, LineOf512CharactersLeavesItsLineEndUnread) {
  const std::string line(512, 'b');
  for (const char* lineEnd : {"\n", "\r\n"}) {
    TempFile file(line + lineEnd + "z\n");
    KelString s;
    EXPECT_EQ(s.Load(file.get()), 0) << "line end size " << std::strlen(lineEnd);
    EXPECT_STREQ(s, line.c_str());
    EXPECT_EQ(s.Load(file.get()), 1);
    EXPECT_STREQ(s, "");
    EXPECT_EQ(s.Load(file.get()), 1);
    EXPECT_STREQ(s, "z");
  }
}

TEST(KelStringTest, LongLineLoadsInPiecesOf512Characters) {
  std::string line;
  for (int i = 0; i < 600; ++i) line += static_cast<char>('a' + i % 26);
  TempFile file(line + "\n");
  KelString s;
  EXPECT_EQ(s.Load(file.get()), 0);
  EXPECT_EQ(s.GetLength(), 512);
  EXPECT_STREQ(s, line.substr(0, 512).c_str());
  EXPECT_EQ(s.Load(file.get()), 1);
  EXPECT_STREQ(s, line.substr(512).c_str());
}

}  // namespace
