#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/testing/TempMachine.h"

namespace {

// A temporary stream holding bytes, positioned at its start.
class TempStream {
 public:
  explicit TempStream(const std::string& bytes = std::string()) : file_(std::tmpfile()) {
    EXPECT_NE(file_, nullptr);
    if (file_ == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::rewind(file_);
  }
  ~TempStream() {
    if (file_ != nullptr) std::fclose(file_);
  }
  TempStream(const TempStream&) = delete;
  TempStream& operator=(const TempStream&) = delete;

  FILE* get() const { return file_; }

  std::string Contents() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string bytes;
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) bytes += static_cast<char>(c);
    return bytes;
  }

 private:
  FILE* file_;
};

std::string JoinLines(const std::vector<std::string>& lines, const char* lineEnd) {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return text;
}

// A record with every core field set, the secrets as stored forms.
MSInfo SampleRecord() {
  MSInfo info;
  info.SetName("shop");
  info.SetRootPath("C:\\inst\\instance\\");
  info.SetMacroPath("C:\\inst\\macro\\en_US");
  info.SetCgiPath("C:\\WWW\\CGI-Bin");
  info.SetHtmlPath("C:\\WWW\\HTML");
  info.SetIPAddr("9.20.1.3");
  info.SetISHost("shop.example.com");
  info.SetDBName("shopdb");
  info.SetDBUser("dbinst");
  info.m_DBPswd = "c2VjcmV0cGFzcw==";
  info.SetDBHost("dbhost");
  info.SetDBSvc("shopsvc");
  info.SetISType(eISNetscape);
  info.SetDBType(eDBOracle);
  info.SetMSProc(3);
  info.SetMSPort(20000);
  info.SetDBPort(-7);
  info.SetMSOption(0xFF, 0x45);
  info.m_DBOwner = "admin";
  info.m_CMSPswd = "Y21zcGFzcw==";
  info.SetZKHost("payhost");
  info.SetZKCycle(31);
  info.SetZKIntvl(45);
  info.SetZKTmout(600);
  return info;
}

// The 25 lines of SampleRecord with an empty merchant key.
std::vector<std::string> SampleLines() {
  return {"shop",          MSInfo::kNoKeyMarker,   "C:\\inst\\instance\\",
          "C:\\inst\\macro\\en_US", "C:\\WWW\\CGI-Bin", "C:\\WWW\\HTML",
          "9.20.1.3",      "shop.example.com",     "shopdb",
          "dbinst",        "c2VjcmV0cGFzcw==",     "dbhost",
          "shopsvc",       "1",                    "1",
          "3",             "20000",                "-7",
          "69",            "admin",                "Y21zcGFzcw==",
          "payhost",       "31",                   "45",
          "600"};
}

void ExpectSameCoreFields(const MSInfo& a, const MSInfo& b) {
  EXPECT_STREQ(a.GetName(), b.GetName());
  EXPECT_STREQ(a.GetMerKeyCipher(), b.GetMerKeyCipher());
  EXPECT_STREQ(a.GetRootPath(), b.GetRootPath());
  EXPECT_STREQ(a.GetMacroPath(), b.GetMacroPath());
  EXPECT_STREQ(a.GetCgiPath(), b.GetCgiPath());
  EXPECT_STREQ(a.GetHtmlPath(), b.GetHtmlPath());
  EXPECT_STREQ(a.GetIPAddr(), b.GetIPAddr());
  EXPECT_STREQ(a.GetISHost(), b.GetISHost());
  EXPECT_STREQ(a.GetDBName(), b.GetDBName());
  EXPECT_STREQ(a.GetDBUser(), b.GetDBUser());
  EXPECT_STREQ(a.GetDBOwner(), b.GetDBOwner());
  EXPECT_STREQ(a.GetDBPswdCipher(), b.GetDBPswdCipher());
  EXPECT_STREQ(a.GetDBHost(), b.GetDBHost());
  EXPECT_STREQ(a.GetDBSvc(), b.GetDBSvc());
  EXPECT_STREQ(a.GetZKHost(), b.GetZKHost());
  EXPECT_STREQ(a.GetCMSPswdCipher(), b.GetCMSPswdCipher());
  EXPECT_EQ(a.GetISType(), b.GetISType());
  EXPECT_EQ(a.GetDBType(), b.GetDBType());
  EXPECT_EQ(a.GetMSProc(), b.GetMSProc());
  EXPECT_EQ(a.GetMSPort(), b.GetMSPort());
  EXPECT_EQ(a.GetDBPort(), b.GetDBPort());
  EXPECT_EQ(a.GetMSOption(), b.GetMSOption());
  EXPECT_EQ(a.GetZKCycle(), b.GetZKCycle());
  EXPECT_EQ(a.GetZKIntvl(), b.GetZKIntvl());
  EXPECT_EQ(a.GetZKTmout(), b.GetZKTmout());
}

TEST(MSInfoFileTest, NumberLinesAreDecimalWithAnOptionalSign) {
  TempStream stream;
  ASSERT_EQ(StoreInt(-42, stream.get()), 1);
  ASSERT_EQ(StoreInt(0, stream.get()), 1);
  ASSERT_EQ(StoreInt(INT_MIN, stream.get()), 1);
  EXPECT_EQ(stream.Contents(), "-42\n0\n-2147483648\n");
}

TEST(MSInfoFileTest, NumberLinesReadTheirLeadingNumber) {
  TempStream stream(" \t-42abc\r\n+7\nabc\n\n99999999999\n-99999999999\n12");
  int value = 5;
  EXPECT_EQ(LoadInt(value, stream.get()), 1);
  EXPECT_EQ(value, -42);
  EXPECT_EQ(LoadInt(value, stream.get()), 1);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(LoadInt(value, stream.get()), 1);
  EXPECT_EQ(value, 0);  // no digits
  value = 5;
  EXPECT_EQ(LoadInt(value, stream.get()), 1);
  EXPECT_EQ(value, 0);  // empty line
  EXPECT_EQ(LoadInt(value, stream.get()), 1);
  EXPECT_EQ(value, INT_MAX);  // held at the end of the range
  EXPECT_EQ(LoadInt(value, stream.get()), 1);
  EXPECT_EQ(value, INT_MIN);
  EXPECT_EQ(LoadInt(value, stream.get()), 0);  // no line end
  EXPECT_EQ(value, 0);
  value = 5;
  EXPECT_EQ(LoadInt(value, stream.get()), 0);  // end of file
  EXPECT_EQ(value, 0);
}

TEST(MSInfoFileTest, RecordIsWrittenAsItsTwentyFiveLines) {
  TempStream stream;
  ASSERT_EQ(SampleRecord().Store(stream.get()), 1);
  EXPECT_EQ(stream.Contents(), JoinLines(SampleLines(), "\n"));
}

TEST(MSInfoFileTest, StoredRecordLoadsBackEqual) {
  MSInfo original = SampleRecord();
  original.m_MerKey = "QUJDREVGR0hJSktMTU5PUFFSU1RVVldY";
  TempStream stream;
  ASSERT_EQ(original.Store(stream.get()), 1);
  std::rewind(stream.get());
  MSInfo loaded;
  ASSERT_EQ(loaded.Load(stream.get(), MSInfo::kDataFileVersion), 1);
  ExpectSameCoreFields(loaded, original);
  EXPECT_EQ(std::fgetc(stream.get()), EOF);  // exactly the record's lines were read
}

TEST(MSInfoFileTest, DefaultRecordRoundTripsWithTheNoKeyMarker) {
  TempStream stream;
  ASSERT_EQ(MSInfo().Store(stream.get()), 1);
  std::rewind(stream.get());
  MSInfo loaded;
  ASSERT_EQ(loaded.Load(stream.get(), MSInfo::kDataFileVersion), 1);
  EXPECT_STREQ(loaded.GetMerKeyCipher(), MSInfo::kNoKeyMarker);
  loaded.m_MerKey.Empty();
  ExpectSameCoreFields(loaded, MSInfo());
}

TEST(MSInfoFileTest, CarriageReturnLineEndsAreRead) {
  TempStream stream(JoinLines(SampleLines(), "\r\n"));
  MSInfo loaded;
  ASSERT_EQ(loaded.Load(stream.get(), MSInfo::kDataFileVersion), 1);
  MSInfo expected = SampleRecord();
  expected.m_MerKey = MSInfo::kNoKeyMarker;
  ExpectSameCoreFields(loaded, expected);
}

TEST(MSInfoFileTest, Version258SkipsOneLineAndEndsAfterTheOptions) {
  std::vector<std::string> lines = SampleLines();
  lines.resize(19);
  lines.insert(lines.begin() + 13, "discarded");
  lines.push_back("next record");
  TempStream stream(JoinLines(lines, "\r\n"));
  MSInfo loaded;
  ASSERT_EQ(loaded.Load(stream.get(), 258), 1);
  EXPECT_STREQ(loaded.GetDBSvc(), "shopsvc");
  EXPECT_EQ(loaded.GetISType(), eISNetscape);
  EXPECT_EQ(loaded.GetMSOption(), 0x45);
  EXPECT_STREQ(loaded.GetDBOwner(), "");
  EXPECT_EQ(loaded.GetZKTmout(), 3600);
  KelString rest;
  ASSERT_EQ(rest.Load(stream.get()), 1);
  EXPECT_STREQ(rest, "next record");
}

TEST(MSInfoFileTest, OtherOldVersionsEndAfterTheOptions) {
  std::vector<std::string> lines = SampleLines();
  lines.resize(19);
  lines.push_back("next record");
  for (int version : {1, 257, 259, 768}) {
    TempStream stream(JoinLines(lines, "\n"));
    MSInfo loaded;
    ASSERT_EQ(loaded.Load(stream.get(), version), 1) << version;
    EXPECT_STREQ(loaded.GetDBSvc(), "shopsvc");
    EXPECT_EQ(loaded.GetDBPort(), -7);
    EXPECT_EQ(loaded.GetMSOption(), 0x45);
    EXPECT_EQ(loaded.GetZKCycle(), 30);
    KelString rest;
    ASSERT_EQ(rest.Load(stream.get()), 1);
    EXPECT_STREQ(rest, "next record");
  }
}

TEST(MSInfoFileTest, NewerVersionIsRefused) {
  TempStream stream(JoinLines(SampleLines(), "\n"));
  MSInfo loaded;
  EXPECT_EQ(loaded.Load(stream.get(), 770), 0);
}

TEST(MSInfoFileTest, TypesOutOfRangeFailTheLoadAndLeaveTheField) {
  struct Case {
    int line;
    const char* value;
  };
  for (const Case& c : {Case{13, "3"}, Case{14, "2"}}) {
    std::vector<std::string> lines = SampleLines();
    lines[c.line] = c.value;
    TempStream stream(JoinLines(lines, "\n"));
    MSInfo loaded;
    loaded.m_ISType = eISQuenta;
    loaded.m_DBType = eDBVelq;
    EXPECT_EQ(loaded.Load(stream.get(), MSInfo::kDataFileVersion), 0) << c.value;
    EXPECT_EQ(loaded.GetISType(), c.line == 13 ? eISQuenta : eISNetscape);
    EXPECT_EQ(loaded.GetDBType(), eDBVelq);
  }
}

TEST(MSInfoFileTest, TypesBelowZeroLoadAsTheRuleSetsOnlyAnUpperBound) {
  std::vector<std::string> lines = SampleLines();
  lines[13] = "-1";
  lines[14] = "-1";
  TempStream stream(JoinLines(lines, "\n"));
  MSInfo loaded;
  EXPECT_EQ(loaded.Load(stream.get(), MSInfo::kDataFileVersion), 1);
  EXPECT_EQ(loaded.GetISType(), static_cast<eISType>(-1));
  EXPECT_EQ(loaded.GetDBType(), static_cast<eDBType>(-1));
}

TEST(MSInfoFileTest, TruncatedRecordsFail) {
  const std::string whole = JoinLines(SampleLines(), "\r\n");
  for (size_t cut : {size_t{0}, whole.find("C:"), whole.rfind("45"), whole.size() - 2}) {
    TempStream stream(whole.substr(0, cut));
    MSInfo loaded;
    EXPECT_EQ(loaded.Load(stream.get(), MSInfo::kDataFileVersion), 0) << cut;
  }
}

TEST(MSInfoFileTest, TextLinesOf512CharactersFail) {
  for (int line : {0, 12, 21}) {
    std::vector<std::string> lines = SampleLines();
    lines[static_cast<size_t>(line)] = std::string(511, 'x');
    TempStream fits(JoinLines(lines, "\n"));
    MSInfo loaded;
    EXPECT_EQ(loaded.Load(fits.get(), MSInfo::kDataFileVersion), 1) << line;

    lines[static_cast<size_t>(line)] = std::string(512, 'x');
    TempStream tooLong(JoinLines(lines, "\n"));
    EXPECT_EQ(loaded.Load(tooLong.get(), MSInfo::kDataFileVersion), 0) << line;
  }
}

// A hand-edited NUL would cut the field at the next store: the record is
// refused as damaged, in a text field and in a number field alike.
TEST(MSInfoFileTest, LinesHoldingANulFail) {
  for (int line : {0, 7, 16, 21}) {
    std::vector<std::string> lines = SampleLines();
    lines[static_cast<size_t>(line)].insert(1, 1, '\0');
    TempStream damaged(JoinLines(lines, "\r\n"));
    MSInfo loaded;
    EXPECT_EQ(loaded.Load(damaged.get(), MSInfo::kDataFileVersion), 0) << line;
  }
  TempStream number(std::string("7\0" "9\n", 4));
  int value = -1;
  EXPECT_EQ(LoadInt(value, number.get()), 0);
  EXPECT_EQ(value, 0);
}

TEST(MSInfoFileTest, TextsThatWouldNotComeBackAsOneLineAreNotStored) {
  MSInfo info = SampleRecord();
  // Texts as a loader or a reader stores them, past the setters' rules.
  info.m_DBSvc = std::string(511, 's').c_str();
  TempStream fits;
  EXPECT_EQ(info.Store(fits.get()), 1);

  info.m_DBSvc = std::string(512, 's').c_str();
  TempStream tooLong;
  EXPECT_EQ(info.Store(tooLong.get()), 0);

  info.m_DBSvc = "svc";
  info.m_Name = "a\nb";
  TempStream withLineEnd;
  EXPECT_EQ(info.Store(withLineEnd.get()), 0);
  EXPECT_EQ(withLineEnd.Contents(), "");
}

class MSInfoRecordFileTest : public orvane::test::MachineTest {
 protected:
  const std::string path = "C:\\inst\\record.dat";
};

TEST_F(MSInfoRecordFileTest, RecordFileHoldsTheLinesWithCarriageReturns) {
  machine.WriteFile("C:\\inst\\placeholder", "");
  ASSERT_EQ(SampleRecord().Store(path.c_str()), 1);
  EXPECT_EQ(machine.ReadFile(path), JoinLines(SampleLines(), "\r\n"));

  MSInfo loaded;
  ASSERT_EQ(loaded.Load(path.c_str()), 1);
  MSInfo expected = SampleRecord();
  expected.m_MerKey = MSInfo::kNoKeyMarker;
  ExpectSameCoreFields(loaded, expected);
}

TEST_F(MSInfoRecordFileTest, RecordFileWithBareLineFeedsIsRead) {
  machine.WriteFile(path, JoinLines(SampleLines(), "\n"));
  MSInfo loaded;
  ASSERT_EQ(loaded.Load(path.c_str()), 1);
  EXPECT_STREQ(loaded.GetZKHost(), "payhost");
  EXPECT_EQ(loaded.GetZKTmout(), 600);
}

TEST_F(MSInfoRecordFileTest, MissingFilesAndFoldersFail) {
  MSInfo info;
  EXPECT_EQ(info.Load(path.c_str()), 0);
  EXPECT_EQ(info.Load(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(SampleRecord().Store("C:\\no such folder\\record.dat"), 0);
  EXPECT_EQ(SampleRecord().Store(static_cast<const char*>(nullptr)), 0);
}

TEST_F(MSInfoRecordFileTest, FailedStoreKeepsThePreviousFile) {
  machine.WriteFile(path, "previous\r\n");
  MSInfo info = SampleRecord();
  info.m_DBSvc = "line\nbreak";  // as read, past the setter's rule
  EXPECT_EQ(info.Store(path.c_str()), 0);
  EXPECT_EQ(machine.ReadFile(path), "previous\r\n");
  EXPECT_FALSE(machine.FileExists(path + ".tmp"));
}

}  // namespace
