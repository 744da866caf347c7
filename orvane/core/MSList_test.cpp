#include "orvane/core/MSList.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cctype>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "orvane/os/Network.h"
#include "orvane/testing/TempMachine.h"

namespace {

using orvane::test::MachineTest;

const std::string kServicesFile = orvane::test::TempMachine::ServicesFile();
constexpr char kDataFile[] = "C:\\tq\\server\\admin\\tqconfig.dat";

// A record that conflicts with no other record made by this helper under
// another name and port.
MSInfo Instance(const std::string& name, int port) {
  MSInfo rec;
  EXPECT_TRUE(rec.SetName(name.c_str()));
  EXPECT_TRUE(rec.SetMSPort(port));
  EXPECT_TRUE(rec.SetMSProc(2));
  EXPECT_TRUE(rec.SetISHost((name + ".shop.example").c_str()));
  EXPECT_TRUE(rec.SetHtmlPath(("C:\\www\\" + name).c_str()));
  EXPECT_TRUE(rec.SetDBName(name.c_str()));
  EXPECT_TRUE(rec.SetDBUser(name.c_str()));
  return rec;
}

// Tests on a machine of their own: files, services database, registry.
class MSListMachineTest : public MachineTest {};

std::string CurrentName(const MSList& list) {
  MSInfo rec;
  return list.GetCurrent(rec) ? rec.GetName() : "(none)";
}

std::vector<std::string> Names(const MSList& list) {
  MSList walk = list;
  std::vector<std::string> names;
  for (int i = 0; i < walk.GetCount(); ++i) {
    walk.SetIndex(i);
    names.push_back(CurrentName(walk));
  }
  return names;
}

// --- Positions -----------------------------------------------------------

TEST(MSListTest, AddMakesTheNewRecordCurrentAndIndexesFollowTheList) {
  MSList list;
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetIndex(), -1);
  MSInfo out;
  EXPECT_EQ(list.GetCurrent(out), 0);

  MSInfo a = Instance("a", 20000), b = Instance("b", 20100), c = Instance("c", 20200);
  EXPECT_EQ(list.Add(a, 0), 0);
  EXPECT_EQ(list.Add(b, 0), 0);
  EXPECT_EQ(list.Add(c, 0), 0);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetIndex(), 2);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));

  EXPECT_EQ(list.SetIndex(1), 1);
  EXPECT_EQ(CurrentName(list), "b");
  EXPECT_EQ(list.SetIndex(2), 1);  // on from the current record, and back again
  EXPECT_EQ(CurrentName(list), "c");
  EXPECT_EQ(list.SetIndex(1), 1);
  EXPECT_EQ(CurrentName(list), "b");
  EXPECT_EQ(list.SetIndex(-1), 0);
  EXPECT_EQ(list.SetIndex(4), 0);
  EXPECT_EQ(list.GetIndex(), 1);

  // One past the end selects nothing.
  EXPECT_EQ(list.SetIndex(3), 1);
  EXPECT_EQ(list.GetIndex(), -1);
  EXPECT_EQ(list.GetCurrent(out), 0);
}

TEST(MSListTest, DeleteMovesToTheNextRecordOrToThePreviousAtTheEnd) {
  MSList list;
  EXPECT_EQ(list.Delete(), 0);
  MSInfo a = Instance("a", 20000), b = Instance("b", 20100), c = Instance("c", 20200);
  list.Add(a, 0);
  list.Add(b, 0);
  list.Add(c, 0);

  EXPECT_EQ(list.Delete(), 1);  // c, the last
  EXPECT_EQ(CurrentName(list), "b");
  EXPECT_EQ(list.GetIndex(), 1);
  EXPECT_EQ(list.GetCount(), 2);
  list.SetIndex(0);
  EXPECT_EQ(list.Delete(), 1);  // a, the first
  EXPECT_EQ(CurrentName(list), "b");
  EXPECT_EQ(list.GetIndex(), 0);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.Delete(), 1);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetIndex(), -1);
  EXPECT_EQ(list.Delete(), 0);

  // The emptied list takes new records again.
  list.Add(a, 0);
  EXPECT_EQ(Names(list), std::vector<std::string>{"a"});
}

TEST(MSListTest, CopiesAreDeepAndKeepThePosition) {
  MSList list;
  MSInfo a = Instance("a", 20000), b = Instance("b", 20100);
  list.Add(a, 0);
  list.Add(b, 0);
  list.SetIndex(0);
  MSInfo def = Instance("dflt", 16570);
  list.SetDefault(def);

  MSList copy(list);
  EXPECT_EQ(copy.GetIndex(), 0);
  EXPECT_EQ(Names(copy), (std::vector<std::string>{"a", "b"}));
  MSInfo out;
  copy.GetDefault(out);
  EXPECT_STREQ(out.GetName(), "dflt");

  copy.Delete();
  MSInfo changed = Instance("z", 20300);
  copy.SetCurrent(changed);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b"}));

  MSList assigned;
  assigned.Add(changed, 0);
  list.SetIndex(2);
  assigned = list;
  EXPECT_EQ(assigned.GetIndex(), -1);
  EXPECT_EQ(Names(assigned), (std::vector<std::string>{"a", "b"}));
  const MSList& alias = assigned;
  assigned = alias;
  EXPECT_EQ(assigned.GetCount(), 2);
}

// --- Conflict flags ------------------------------------------------------

TEST(MSListTest, EachConflictFlagComesFromItsOwnField) {
  MSList list;
  MSInfo other = Instance("shop2", 30000);
  list.Add(other, 0);

  struct Case {
    const char* what;
    std::function<void(MSInfo&)> change;
    int flags;
  };
  const Case cases[] = {
      {"nothing shared", [](MSInfo&) {}, 0},
      {"name, other case", [](MSInfo& r) { r.SetName("SHOP2"); }, MSList::kConflictName},
      {"same first port",
       [](MSInfo& r) { r.SetMSPort(30000); },
       MSList::kConflictPort | MSList::kConflictPortBlock},
      {"host, other case",
       [](MSInfo& r) { r.SetISHost("Shop2.SHOP.example"); },
       MSList::kConflictHost},
      {"HTML path, other case",
       [](MSInfo& r) { r.SetHtmlPath("c:\\WWW\\Shop2\\"); },
       MSList::kConflictHtmlPath},
      {"block ends just below", [](MSInfo& r) { r.SetMSPort(29995); }, 0},
      {"block reaches the other's first port",
       [](MSInfo& r) { r.SetMSPort(29996); },
       MSList::kConflictPortBlock},
      {"starts on the other's last port",
       [](MSInfo& r) { r.SetMSPort(30004); },
       MSList::kConflictPortBlock},
      {"starts just after", [](MSInfo& r) { r.SetMSPort(30005); }, 0},
      {"more processes reach the block",
       [](MSInfo& r) {
         r.SetMSPort(29990);
         r.SetMSProc(8);
       },
       MSList::kConflictPortBlock},
      {"database, other case",
       [](MSInfo& r) {
         r.SetDBName("SHOP2");
         r.SetDBUser("Shop2");
       },
       MSList::kConflictDatabase},
      {"database name only", [](MSInfo& r) { r.SetDBName("shop2"); }, 0},
  };
  for (const Case& c : cases) {
    MSInfo rec = Instance("shop1", 20000);
    c.change(rec);
    EXPECT_EQ(list.CheckUnique(rec), c.flags) << c.what;
  }
}

TEST(MSListTest, DatabasePasswordsAreComparedDeciphered) {
  MSList list;
  MSInfo other = Instance("shop2", 30000);
  other.SetDBName("shared");
  other.SetDBUser("shared");
  other.SetDBPswd("secret");
  list.Add(other, 0);

  MSInfo rec = Instance("shop1", 20000);
  rec.SetDBName("shared");
  rec.SetDBUser("shared");
  rec.SetDBPswd("different");
  EXPECT_EQ(list.CheckUnique(rec), 0);

  rec.SetDBPswd("SECRET");
  EXPECT_STRNE(rec.GetDBPswdCipher(), other.GetDBPswdCipher());
  EXPECT_EQ(list.CheckUnique(rec), MSList::kConflictDatabase);

  rec.SetDBPswd("");
  EXPECT_EQ(list.CheckUnique(rec), 0);
}

TEST(MSListTest, CheckUniqueReportsTheFirstConflictingRecordOnly) {
  MSList list;
  MSInfo a = Instance("a", 20000), b = Instance("b", 30000);
  list.Add(a, 0);
  list.Add(b, 0);
  MSInfo rec = Instance("b", 20000);  // port of a, name of b
  EXPECT_EQ(list.CheckUnique(rec), MSList::kConflictPort | MSList::kConflictPortBlock);
  EXPECT_EQ(MSList().CheckUnique(rec), 0);
}

// --- Adding with checks --------------------------------------------------

TEST_F(MSListMachineTest, AddWithCheckRefusesConflictsAndLeavesTheList) {
  MSList list;
  MSInfo abc = Instance("abc", 20000);
  ASSERT_EQ(list.Add(abc, 1), 0);
  MSInfo upper = Instance("other", 30000);
  upper.SetName("ABC");
  EXPECT_EQ(list.Add(upper, 1), MSList::kConflictName);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.Add(upper, 0), 0);  // unchecked
  EXPECT_EQ(list.GetCount(), 2);
}

TEST_F(MSListMachineTest, AddChecksPortsAgainstServicesAndTheReservedPort) {
  machine.WriteFile(kServicesFile, "echo 7/tcp\r\nshopsvc 20002/tcp # taken\r\n");
  MSList list;
  MSInfo taken = Instance("taken", 20000);  // 20000 ... 20004
  MSInfo reserved = Instance("reserved", 16000);
  reserved.m_MSPort = 16558;  // 16558 ... 16562 holds 16560

  // An empty list checks nothing.
  EXPECT_EQ(list.Add(taken, 1), 0);
  list.Empty();
  EXPECT_EQ(list.Add(reserved, 1), 0);
  list.Empty();

  MSInfo first = Instance("first", 40000);
  list.Add(first, 0);
  EXPECT_EQ(list.Add(taken, 1), MSList::kConflictPortTaken);
  EXPECT_EQ(list.Add(reserved, 1), MSList::kConflictPortTaken);
  EXPECT_EQ(list.GetCount(), 1);

  MSInfo beside = Instance("beside", 20003);  // 20003 ... 20007
  EXPECT_EQ(list.Add(beside, 1), 0);
  EXPECT_EQ(CurrentName(list), "beside");
  EXPECT_EQ(list.GetCount(), 2);
}

// --- Replacing and merging the current record ----------------------------

TEST(MSListTest, SetCurrentReplacesWhenNoOtherRecordConflicts) {
  MSList list;
  MSInfo rec = Instance("a", 20000);
  EXPECT_EQ(list.SetCurrent(rec), -1);
  MSInfo a = Instance("a", 20000), b = Instance("b", 30000);
  list.Add(a, 0);
  list.Add(b, 0);
  list.SetIndex(0);

  // The current record itself is not checked against.
  MSInfo renamed = Instance("a", 20000);
  renamed.SetName("a2");
  EXPECT_EQ(list.SetCurrent(renamed), 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a2", "b"}));

  MSInfo clash = Instance("a3", 20000);
  clash.SetISHost("b.shop.example");
  EXPECT_EQ(list.SetCurrent(clash), MSList::kConflictHost);
  EXPECT_EQ(CurrentName(list), "a2");
}

TEST_F(MSListMachineTest, MergeCurrentExchangesCoreFieldsAndPreservedValues) {
  MSList list;
  MSInfo rec = Instance("a", 20000);
  EXPECT_EQ(list.MergeCurrent(rec), -1);

  MSInfo a = Instance("a", 20000), b = Instance("b", 30000);
  a.m_LogPath = "C:\\logs\\a";
  a.SetNDEnv("LANG", "en_US");
  list.Add(a, 0);
  list.Add(b, 0);
  list.SetIndex(0);

  MSInfo edited = Instance("a", 20000);
  edited.SetDBName("newdb");
  edited.m_LogPath = "ignored";
  EXPECT_EQ(list.MergeCurrent(edited), 0);
  MSInfo current;
  list.GetCurrent(current);
  EXPECT_STREQ(current.GetDBName(), "newdb");
  EXPECT_STREQ(current.m_LogPath, "C:\\logs\\a");
  EXPECT_STREQ(edited.m_LogPath, "C:\\logs\\a");
  NameValue env;
  ASSERT_EQ(edited.m_NDEnv.GetFirst(env), 1);
  EXPECT_STREQ(env.value, "en_US");

  MSInfo clash = Instance("x", 20000);
  clash.SetName("B");
  EXPECT_EQ(list.MergeCurrent(clash), MSList::kConflictName);
  list.GetCurrent(current);
  EXPECT_STREQ(current.GetName(), "a");
  EXPECT_STREQ(current.GetDBName(), "newdb");
}

TEST_F(MSListMachineTest, MergeCurrentChecksOnlyPortsBeforeItsOwnBlock) {
  // The instance's own ports are its registered services.
  machine.WriteFile(kServicesFile,
                    "tqa_0 20000/tcp\r\ntqa_1 20001/tcp\r\nother 19991/tcp\r\n");
  MSList list;
  MSInfo a = Instance("a", 20000), b = Instance("b", 30000);
  list.Add(a, 0);
  list.Add(b, 0);
  list.SetIndex(0);

  MSInfo same = Instance("a", 20000);
  EXPECT_EQ(list.MergeCurrent(same), 0);
  MSInfo below = Instance("a", 19990);  // 19990 ... 19994
  EXPECT_EQ(list.MergeCurrent(below), MSList::kConflictPortTaken);
  MSInfo current;
  list.GetCurrent(current);
  EXPECT_EQ(current.GetMSPort(), 20000);
}

// --- The default record ---------------------------------------------------

class MSListDefaultTest : public MachineTest {
 protected:
  // The local host resolves on the emulated machine itself. Windows' own
  // name is the machine's business.
  MSListDefaultTest() {
#if !defined(_WIN32)
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
        "\"Hostname\"=\"shophost\"\r\n");
    machine.WriteFile("C:\\WINNT\\system32\\drivers\\etc\\hosts",
                      "10.1.2.3 shophost.example.com shophost\r\n10.1.2.4 shophost\r\n");
#endif
  }

  // The local host's official name and first address, as its resolver gives
  // them.
  static std::pair<std::string, std::string> LocalHost() {
#if defined(_WIN32)
    const auto name = orvane::os::LocalHostName();
    const auto host = name ? orvane::os::ResolveHost(*name) : name.status();
    EXPECT_TRUE(host.ok() && !host->addresses.empty()) << "the local host does not resolve";
    if (!host.ok() || host->addresses.empty()) return {};
    return {host->officialName, host->addresses.front()};
#else
    return {"shophost.example.com", "10.1.2.3"};
#endif
  }

  MSInfo BuildDefault(MSList& list, const char* webDir = "") {
    EXPECT_EQ(list.SetDefault("C:\\tq", webDir), 1);
    MSInfo def;
    list.GetDefault(def);
    return def;
  }
};

TEST_F(MSListDefaultTest, NamesAndPathsComeFromTheInstallation) {
  MSList list;
  MSInfo def = BuildDefault(list, "D:\\web");
  EXPECT_STREQ(def.GetName(), "mser");
  EXPECT_STREQ(def.GetDBName(), "mser");
  EXPECT_STREQ(def.GetRootPath(), "C:\\tq\\instance\\");
  EXPECT_STREQ(def.GetMacroPath(), "C:\\tq\\macro\\en_US");
  EXPECT_EQ(def.GetISType(), eISGoWebserver);
  EXPECT_STREQ(def.GetCgiPath(), "D:\\web\\CGI-Bin");
  EXPECT_STREQ(def.GetHtmlPath(), "D:\\web\\HTML");
  EXPECT_EQ(def.GetMSProc(), 2);
  EXPECT_EQ(def.GetZKCycle(), 30);
  EXPECT_EQ(def.GetZKIntvl(), 30);
  EXPECT_EQ(def.GetZKTmout(), 3600);

  MSList noPath;
  EXPECT_EQ(noPath.SetDefault(nullptr, "D:\\web"), 0);
  noPath.GetDefault(def);
  EXPECT_STREQ(def.GetName(), "mser");
  EXPECT_STREQ(def.GetRootPath(), "");
}

TEST_F(MSListDefaultTest, WebServerDirectoriesComeFromTheRegistry) {
  MSList list;
  EXPECT_EQ(BuildDefault(list).GetISType(), eISNetscape);

  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
      "\"ETCpath\"=\"C:\\\\WWW\\\\etc\\\\\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
      "\"Executables\"=\"C:\\\\WWW\\\\bin\"\r\n"
      "\"CGI Bin Scripts\"=\"C:\\\\WWW\\\\cgi-bin\\\\\"\r\n"
      "\"HTML\"=\"C:\\\\WWW\\\\html\"\r\n"
      "\"Main Directory\"=\"C:\\\\WWW\"\r\n");
  MSInfo def = BuildDefault(list);
  EXPECT_EQ(def.GetISType(), eISGoWebserver);
  EXPECT_STREQ(def.GetCgiPath(), "C:\\WWW\\cgi-bin");
  EXPECT_STREQ(def.GetHtmlPath(), "C:\\WWW\\html");
}

TEST_F(MSListDefaultTest, HostIsTheResolvedOfficialNameAndFirstAddress) {
  MSList list;
  MSInfo def = BuildDefault(list);
  EXPECT_EQ(def.GetISHost(), LocalHost().first);
  EXPECT_EQ(def.GetIPAddr(), LocalHost().second);
}

TEST_F(MSListDefaultTest, InstalledProductsSetTypeAndOptionBitsOnly) {
  MSList list;
  MSInfo seed;
  seed.SetDBType(eDBOracle);
  seed.SetMSOption(0xFF, MSInfo::kOptStaging);
  list.SetDefault(seed);
  MSInfo def = BuildDefault(list);
  EXPECT_EQ(def.GetDBType(), eDBOracle);
  EXPECT_EQ(def.GetMSOption(), MSInfo::kOptStaging);

  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
      "\"VELQ Path Name\"=\"C:\\\\velq\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Hosting Server]\r\n");
  def = BuildDefault(list);
  EXPECT_EQ(def.GetDBType(), eDBVelq);
  EXPECT_EQ(def.GetMSOption(),
            MSInfo::kOptStaging | MSInfo::kOptPayServer | MSInfo::kOptHosting);
}

TEST_F(MSListDefaultTest, PortSearchSkipsRecordsAndRegisteredPorts) {
  MSList list;
  MSInfo def = BuildDefault(list);
  EXPECT_EQ(def.GetMSPort(), 16570);
  EXPECT_EQ(def.GetDBPort(), 16580);

  // A record at 16570 (to 16572, plus nine) pushes the search to 16590.
  MSInfo existing = Instance("shop1", 16570);
  existing.SetDBPort(16580);
  list.Add(existing, 0);
  def = BuildDefault(list);
  EXPECT_EQ(def.GetMSPort(), 16590);
  EXPECT_EQ(def.GetDBPort(), 16600);

  // A port registered (for any protocol) within the ten tested moves the
  // candidate by twenty.
  machine.WriteFile(kServicesFile, "a 16595/tcp\r\nb 16625/udp\r\n");
  def = BuildDefault(list);
  EXPECT_EQ(def.GetMSPort(), 16610);
  EXPECT_EQ(def.GetDBPort(), 16640);
}

TEST_F(MSListDefaultTest, PortSearchLeavesPortsWhenNoBlockIsFree) {
  MSList list;
  MSInfo seed;
  seed.SetMSPort(30000);
  seed.SetDBPort(30010);
  list.SetDefault(seed);
  MSInfo last = Instance("last", 65520);
  last.SetDBPort(65530);
  list.Add(last, 0);
  MSInfo def = BuildDefault(list);
  EXPECT_EQ(def.GetMSPort(), 30000);
  EXPECT_EQ(def.GetDBPort(), 30010);
}

// --- The data file --------------------------------------------------------

// Lines as the data file holds them on disk.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A record with every field set, none to its default.
MSInfo FullRecord() {
  MSInfo rec;
  rec.SetName("shop1");
  rec.SetRootPath("C:\\tq\\instance\\shop1\\");
  rec.SetMacroPath("C:\\tq\\macro\\en_US");
  rec.SetCgiPath("C:\\WWW\\cgi-bin");
  rec.SetHtmlPath("C:\\WWW\\html\\shop1");
  rec.SetIPAddr("10.0.0.5");
  rec.SetISHost("shop1.example");
  rec.SetDBName("shopdb");
  rec.SetDBUser("shopusr");
  rec.SetDBPswd("secret");
  rec.SetDBHost("dbhost");
  rec.SetDBSvc("shopsvc");
  rec.SetISType(eISQuenta);
  rec.SetDBType(eDBOracle);
  rec.SetMSProc(3);
  rec.SetMSPort(20000);
  rec.SetDBPort(-20);
  rec.SetMSOption(0xFF, 0x45);
  rec.m_DBOwner = "dbadmin";
  rec.SetCMSPswd("cms");
  rec.SetZKHost("payhost");
  rec.SetZKCycle(45);
  rec.SetZKIntvl(50);
  rec.SetZKTmout(600);
  return rec;
}

std::vector<std::string> FullRecordLines(const MSInfo& rec) {
  return {"shop1",        MSInfo::kNoKeyMarker, "C:\\tq\\instance\\shop1\\",
          "C:\\tq\\macro\\en_US", "C:\\WWW\\cgi-bin", "C:\\WWW\\html\\shop1",
          "10.0.0.5",     "shop1.example",      "shopdb",
          "shopusr",      rec.GetDBPswdCipher(), "dbhost",
          "shopsvc",      "2",                  "1",
          "3",            "20000",              "-20",
          "69",           "dbadmin",            rec.GetCMSPswdCipher(),
          "payhost",      "45",                 "50",
          "600"};
}

// The second record: a merchant key, and the numbers of a new record.
MSInfo KeyedRecord() {
  MSInfo rec;
  rec.SetName("shop2");
  EXPECT_TRUE(rec.SetMerKey("0123456789abcdef"));
  return rec;
}

std::vector<std::string> KeyedRecordLines(const MSInfo& rec) {
  return {"shop2", rec.GetMerKeyCipher(), "", "", "", "", "", "", "", "", "", "", "",
          "0",     "0",  "-1", "-1", "-1", "0", "", "", "", "30", "30", "3600"};
}

std::string FileOf(const std::vector<std::vector<std::string>>& records,
                   const std::string& version = "769", const std::string& closing = "769") {
  std::vector<std::string> lines = {version, std::to_string(records.size())};
  for (const auto& record : records) lines.insert(lines.end(), record.begin(), record.end());
  lines.push_back(closing);
  return Lines(lines);
}

TEST_F(MSListMachineTest, StoreWritesTheLayoutByteForByteAndLoadReadsItBack) {
  MSList list;
  EXPECT_EQ(list.Store(kDataFile), 0);  // no such folder yet
  machine.WriteFile("C:\\tq\\server\\admin\\readme.txt", "");

  ASSERT_EQ(list.Store(kDataFile), 1);
  EXPECT_EQ(machine.ReadFile(kDataFile), "769\r\n0\r\n769\r\n");

  MSInfo full = FullRecord(), keyed = KeyedRecord();
  list.Add(full, 0);
  list.Add(keyed, 0);
  ASSERT_EQ(list.Store(kDataFile), 1);
  const std::string expected = FileOf({FullRecordLines(full), KeyedRecordLines(keyed)});
  EXPECT_EQ(machine.ReadFile(kDataFile), expected);
  EXPECT_FALSE(machine.FileExists(std::string(kDataFile) + ".tmp"));

  MSList loaded;
  ASSERT_EQ(loaded.Load(kDataFile), 1);
  EXPECT_EQ(loaded.GetRefusedCount(), 0);
  EXPECT_EQ(loaded.GetIndex(), 1);
  ASSERT_EQ(loaded.Store("C:\\copy.dat"), 1);
  EXPECT_EQ(machine.ReadFile("C:\\copy.dat"), expected);

  MSInfo rec;
  loaded.SetIndex(0);
  loaded.GetCurrent(rec);
  EXPECT_STREQ(rec.GetMerKeyCipher(), MSInfo::kNoKeyMarker);
  KelString clear;
  rec.GetMerKey(clear);
  EXPECT_STREQ(clear, "");
  rec.GetDBPswd(clear);
  EXPECT_STREQ(clear, "secret");
  EXPECT_EQ(rec.GetDBPort(), -20);
  loaded.SetIndex(1);
  loaded.GetCurrent(rec);
  rec.GetMerKey(clear);
  EXPECT_STREQ(clear, "0123456789abcdef");
}

TEST_F(MSListMachineTest, LoadAppendsToTheListAndAcceptsBareLineFeeds) {
  MSInfo keyed = KeyedRecord();
  std::string text = FileOf({KeyedRecordLines(keyed)});
  std::string bare;
  for (char ch : text) {
    if (ch != '\r') bare += ch;
  }
  machine.WriteFile(kDataFile, bare);
  MSList list;
  MSInfo first = Instance("first", 40000);
  list.Add(first, 0);
  ASSERT_EQ(list.Load(kDataFile), 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"first", "shop2"}));
  EXPECT_EQ(CurrentName(list), "shop2");
}

TEST_F(MSListMachineTest, LoadReadsOlderLayouts) {
  std::vector<std::string> first13 = {"old1", "K", "C:\\r\\", "C:\\m", "C:\\c", "C:\\h",
                                      "1.2.3.4", "oldhost", "olddb", "olduser", "P",
                                      "", "svc"};
  std::vector<std::string> numbers = {"1", "0", "4", "21000", "21010", "8"};
  std::vector<std::string> record258 = first13;
  record258.push_back("discarded");
  record258.insert(record258.end(), numbers.begin(), numbers.end());
  machine.WriteFile(kDataFile, FileOf({record258}, "258", "258"));

  MSList list;
  ASSERT_EQ(list.Load(kDataFile), 1);
  MSInfo rec;
  list.GetCurrent(rec);
  EXPECT_STREQ(rec.GetDBSvc(), "svc");
  EXPECT_EQ(rec.GetISType(), eISNetscape);
  EXPECT_EQ(rec.GetMSProc(), 4);
  EXPECT_EQ(rec.GetMSPort(), 21000);
  EXPECT_EQ(rec.GetDBPort(), 21010);
  EXPECT_EQ(rec.GetMSOption(), 8);
  EXPECT_STREQ(rec.GetDBOwner(), "");
  EXPECT_EQ(rec.GetZKTmout(), 3600);

  std::vector<std::string> record512 = first13;
  record512.insert(record512.end(), numbers.begin(), numbers.end());
  machine.WriteFile(kDataFile, FileOf({record512}, "512", "512"));
  MSList other;
  ASSERT_EQ(other.Load(kDataFile), 1);
  other.GetCurrent(rec);
  EXPECT_EQ(rec.GetMSOption(), 8);
  EXPECT_EQ(rec.GetZKCycle(), 30);

  machine.WriteFile(kDataFile, FileOf({}, "770", "770"));
  EXPECT_EQ(MSList().Load(kDataFile), 0);
}

TEST_F(MSListMachineTest, LoadFailuresAndWhatStaysInTheList) {
  MSInfo keyed = KeyedRecord();
  const std::vector<std::string> good = KeyedRecordLines(keyed);
  MSInfo earlier = Instance("earlier", 40000);

  struct Case {
    const char* what;
    std::string text;
    int result;
    std::vector<std::string> names;
  };
  std::vector<std::string> badType = good;
  badType[13] = "3";
  std::vector<std::string> unsetTypes = good;
  unsetTypes[13] = "-1";
  unsetTypes[14] = "-1";
  std::vector<std::string> badDBType = good;
  badDBType[14] = "2";
  std::vector<std::string> longLine = good;
  longLine[12] = std::string(512, 'x');
  std::vector<std::string> longestLine = good;
  longestLine[12] = std::string(511, 'x');
  // A field holding a CR loaded, and then no store of the list succeeded.
  std::vector<std::string> carriageReturn = good;
  carriageReturn[12] = "svc\rname";
  const std::string whole = FileOf({good});
  const Case cases[] = {
      {"wrong closing line", FileOf({good}, "769", "768"), 0, {"earlier", "shop2"}},
      {"closing line missing", whole.substr(0, whole.size() - 5), 0, {"earlier", "shop2"}},
      {"closing line without line end", whole.substr(0, whole.size() - 2), 0,
       {"earlier", "shop2"}},
      {"web server type 3", FileOf({badType}), 0, {}},
      {"database type 2", FileOf({badDBType}), 0, {}},
      {"types -1 (an upper bound only)", FileOf({unsetTypes}), 1, {"earlier", "shop2"}},
      {"record cut short", whole.substr(0, whole.size() - 12), 0, {}},
      {"512-character line", FileOf({longLine}), 0, {}},
      {"511-character line", FileOf({longestLine}), 1, {"earlier", "shop2"}},
      {"CR inside a field", FileOf({carriageReturn}), 0, {}},
      {"negative count", Lines({"769", "-1", "769"}), 0, {"earlier"}},
      {"empty file", "", 0, {"earlier"}},
  };
  for (const Case& c : cases) {
    machine.WriteFile(kDataFile, c.text);
    MSList list;
    list.Add(earlier, 0);
    EXPECT_EQ(list.Load(kDataFile), c.result) << c.what;
    EXPECT_EQ(Names(list), c.names) << c.what;
  }
  EXPECT_EQ(MSList().Load("C:\\missing.dat"), 0);
  EXPECT_EQ(MSList().Load(nullptr), 0);
}

TEST_F(MSListMachineTest, LoadKeepsTheFirstOfDuplicatesAndReportsTheRefused) {
  machine.WriteFile(kServicesFile, "busy 22001/tcp\r\n");
  machine.WriteFile(kDataFile, "");
  MSInfo a = Instance("shop", 20000), dup = Instance("dup", 21000),
         busy = Instance("busy", 22000), fine = Instance("fine", 23000);
  dup.SetName("SHOP");
  MSList source;
  for (MSInfo* rec : {&a, &dup, &busy, &fine}) source.Add(*rec, 0);
  ASSERT_EQ(source.Store(kDataFile), 1);

  MSList list;
  ASSERT_EQ(list.Load(kDataFile), 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"shop", "fine"}));
  EXPECT_EQ(CurrentName(list), "fine");
  ASSERT_EQ(list.GetRefusedCount(), 2);
  MSInfo refused;
  int flags = 0;
  ASSERT_EQ(list.GetRefused(0, refused, flags), 1);
  EXPECT_STREQ(refused.GetName(), "SHOP");
  EXPECT_EQ(flags, MSList::kConflictName);
  ASSERT_EQ(list.GetRefused(1, refused, flags), 1);
  EXPECT_STREQ(refused.GetName(), "busy");
  EXPECT_EQ(flags, MSList::kConflictPortTaken);
  EXPECT_EQ(list.GetRefused(2, refused, flags), 0);
  EXPECT_EQ(list.GetRefused(-1, refused, flags), 0);

  // A copy carries the report; the next load starts a new one.
  EXPECT_EQ(MSList(list).GetRefusedCount(), 2);
  machine.WriteFile(kDataFile, FileOf({}));
  ASSERT_EQ(list.Load(kDataFile), 1);
  EXPECT_EQ(list.GetRefusedCount(), 0);
}

TEST_F(MSListMachineTest, StoreFailureLeavesThePreviousFile) {
  const std::string previous = FileOf({}) + "old";
  machine.WriteFile(kDataFile, previous);
  MSList list;
  MSInfo good = Instance("good", 20000), bad = Instance("bad", 30000);
  bad.m_DBSvc = std::string(600, 's').c_str();  // cannot come back as one line
  list.Add(good, 0);
  list.Add(bad, 0);
  EXPECT_EQ(list.Store(kDataFile), 0);
  EXPECT_EQ(machine.ReadFile(kDataFile), previous);
  EXPECT_FALSE(machine.FileExists(std::string(kDataFile) + ".tmp"));
  EXPECT_EQ(list.Store(nullptr), 0);

  list.Delete();
  ASSERT_EQ(list.Store(kDataFile), 1);
  MSList back;
  ASSERT_EQ(back.Load(kDataFile), 1);
  EXPECT_EQ(Names(back), std::vector<std::string>{"good"});
}

}  // namespace

namespace {

TEST_F(MSListMachineTest, LoadOfADamagedPortBlockEndsWithoutWalkingBelowZero) {
  // The second record's block runs from far below 0 to port 2: its ports are
  // checked against the services database, and below 0 there are none, so
  // the check must not walk the two billion numbers there.
  MSInfo full = FullRecord(), keyed = KeyedRecord();
  std::vector<std::string> damaged = KeyedRecordLines(keyed);
  damaged[15] = "2147483000";   // MSProc
  damaged[16] = "-2147483000";  // MSPort
  machine.WriteFile(kDataFile, FileOf({FullRecordLines(full), damaged}));

  MSList list;
  ASSERT_EQ(list.Load(kDataFile), 1);
  EXPECT_EQ(list.GetRefusedCount(), 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"shop1", "shop2"}));
}

}  // namespace

#if !defined(_WIN32)
namespace {

int HostMode(const std::string& hostPath) {
  struct stat info {};
  EXPECT_EQ(stat(hostPath.c_str(), &info), 0);
  return static_cast<int>(info.st_mode & 07777);
}

TEST_F(MSListMachineTest, NewDataFileIsTheOwnersOnlyAndAReplacedOneKeepsItsMode) {
  machine.WriteFile("C:\\tq\\server\\admin\\readme.txt", "");
  MSList list;
  MSInfo full = FullRecord();
  list.Add(full, 0);
  ASSERT_EQ(list.Store(kDataFile), 1);
  EXPECT_EQ(HostMode(machine.HostPath(kDataFile)), 0600);
  ASSERT_EQ(full.Store("C:\\tq\\one.dat"), 1);
  EXPECT_EQ(HostMode(machine.HostPath("C:\\tq\\one.dat")), 0600);

  ASSERT_EQ(chmod(machine.HostPath(kDataFile).c_str(), 0640), 0);
  ASSERT_EQ(list.Store(kDataFile), 1);
  EXPECT_EQ(HostMode(machine.HostPath(kDataFile)), 0640);
  // One left open to others is closed to them.
  ASSERT_EQ(chmod(machine.HostPath(kDataFile).c_str(), 0644), 0);
  ASSERT_EQ(list.Store(kDataFile), 1);
  EXPECT_EQ(HostMode(machine.HostPath(kDataFile)), 0640);
}

TEST_F(MSListMachineTest, TwoProcessesStoringAtOnceLeaveOneWholeFileForEveryReader) {
  machine.WriteFile("C:\\tq\\server\\admin\\readme.txt", "");
  MSList mine, theirs;
  for (int i = 0; i < 20; ++i) {
    MSInfo a = Instance("mine" + std::to_string(i), 20000 + 10 * i);
    MSInfo b = Instance("theirs" + std::to_string(i), 30000 + 10 * i);
    mine.Add(a, 0);
    theirs.Add(b, 0);
  }
  ASSERT_EQ(mine.Store(kDataFile), 1);
  const pid_t writer = fork();
  if (writer == 0) {
    for (int i = 0; i < 50; ++i) theirs.Store(kDataFile);
    _exit(0);
  }
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(mine.Store(kDataFile), 1);
    MSList loaded;
    ASSERT_EQ(loaded.Load(kDataFile), 1);
    ASSERT_EQ(loaded.GetCount(), 20);
  }
  int status = 0;
  waitpid(writer, &status, 0);
  MSList last;
  ASSERT_EQ(last.Load(kDataFile), 1);
  EXPECT_EQ(last.GetCount(), 20);
}

}  // namespace
#endif
namespace {

// --- A record's own registered services ------------------------------------

TEST_F(MSListMachineTest, PortsRegisteredUnderTheRecordsOwnNamesAreNoConflict) {
  struct Case {
    const char* registered;  // the name under which port 21001 is registered
    int flags;
  };
  const Case cases[] = {
      {"tqmall", 0},          {"TQMALL_1", 0},        {"tqmall_12", 0},
      {"tqmall_pb_1", 0},     {"TqMall_Pe_6", 0},     {"tqmall_cy_1", 0},
      {"tqmall_sched_10", 0}, {"tqmall_ece_1", 0},
      {"tqmall_", MSList::kConflictPortTaken},        {"tqmall_x", MSList::kConflictPortTaken},
      {"tqmall_pb", MSList::kConflictPortTaken},      {"tqmall_pb_", MSList::kConflictPortTaken},
      {"tqmall_1a", MSList::kConflictPortTaken},      {"tqmall2", MSList::kConflictPortTaken},
      {"tqmal", MSList::kConflictPortTaken},          {"mall_1", MSList::kConflictPortTaken},
      {"tqshop_1", MSList::kConflictPortTaken},       {"tqmall_web_1", MSList::kConflictPortTaken},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.registered);
    machine.WriteFile(kServicesFile, std::string(c.registered) + "\t\t21001/tcp\t# x\r\n");
    MSList list;
    MSInfo shop = Instance("shop", 40000), mall = Instance("mall", 21000);
    list.Add(shop, 0);
    EXPECT_EQ(list.Add(mall, 1), c.flags);
    EXPECT_EQ(list.GetCount(), c.flags == 0 ? 2 : 1);
  }
}

TEST_F(MSListMachineTest, AnotherProgramsNameOnAnOwnPortStillRefuses) {
  // Port 21001 is registered twice: under the record's own name first, then
  // by a third program.
  machine.WriteFile(kServicesFile, "tqmall_1\t21001/tcp\r\nthirdprog\t21001/udp\r\n");
  MSList list;
  MSInfo shop = Instance("shop", 40000), mall = Instance("mall", 21000);
  list.Add(shop, 0);
  EXPECT_EQ(list.Add(mall, 1), MSList::kConflictPortTaken);
}

// What creation registers for an instance named name with two server
// processes at port, and the payment server installed.
std::string CreatedEntries(const std::string& name, int port, int helperPort) {
  std::string lines = "tq" + name + "\t" + std::to_string(port) + "/tcp\t# Server Controller\r\n";
  for (int k = 1; k <= 2; ++k) {
    lines += "tq" + name + "_" + std::to_string(k) + "\t" + std::to_string(port + k) + "/tcp\r\n";
  }
  lines += "tq" + name + "_pb_1\t" + std::to_string(port + 3) + "/tcp\r\n";
  for (int k = 1; k <= 6; ++k) {
    lines += "tq" + name + "_pe_" + std::to_string(k) + "\t" + std::to_string(port + 3 + k) +
             "/tcp\r\n";
  }
  lines += "tq" + name + "_cy_1\t" + std::to_string(helperPort) + "/tcp\r\n";
  for (int j = 1; j <= 10; ++j) {
    lines += "tq" + name + "_sched_" + std::to_string(j) + "\t" +
             std::to_string(helperPort + j) + "/tcp\r\n";
  }
  return lines;
}

TEST_F(MSListMachineTest, TwoCreatedInstancesSurviveLoadAndStore) {
  machine.WriteFile(kServicesFile, "echo\t7/tcp\r\n" + CreatedEntries("shop", 20000, 40000) +
                                       CreatedEntries("MALL", 21000, 40010));
  machine.WriteFile(kDataFile, "");
  MSList source;
  MSInfo shop = Instance("shop", 20000), mall = Instance("mall", 21000);
  source.Add(shop, 0);
  source.Add(mall, 0);
  ASSERT_EQ(source.Store(kDataFile), 1);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    MSList list;
    ASSERT_EQ(list.Load(kDataFile), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"shop", "mall"}));
    EXPECT_EQ(list.GetRefusedCount(), 0);
    ASSERT_EQ(list.Store(kDataFile), 1);
  }

  // A third program on one of mall's ports refuses mall again.
  machine.WriteFile(kServicesFile, machine.ReadFile(kServicesFile) + "intruder\t21004/tcp\r\n");
  MSList list;
  ASSERT_EQ(list.Load(kDataFile), 1);
  EXPECT_EQ(Names(list), std::vector<std::string>{"shop"});
  MSInfo refused;
  int flags = 0;
  ASSERT_EQ(list.GetRefused(0, refused, flags), 1);
  EXPECT_EQ(flags, MSList::kConflictPortTaken);
}

}  // namespace

namespace {

// --- Loading many records ---------------------------------------------------

// Load checks each record through an index of the list; Add, one record at a
// time, walks the list. Both must refuse the same records with the same
// flags. The records are drawn from few values, so that every rule fires
// often and together, with damaged blocks (empty, reversed, huge) among them,
// and the list already holds unchecked records before the load.
TEST_F(MSListMachineTest, LoadRefusesExactlyWhatAddOneByOneRefuses) {
  struct Case {
    unsigned seed;
    int texts;      // values per text field: few means many conflicts
    int databases;  // values per database field
    int ports;      // first ports to draw from
    int preloaded;
  };
  const Case cases[] = {{1, 6, 6, 240, 0},          {2, 20, 20, 800, 5},
                        {3, 60, 60, 2400, 12},      {4, 10000, 10000, 300, 40},
                        {5, 10000, 10000, 60, 60},  {6, 1000, 1000, 40000, 3},
                        {7, 10000, 3, 40000, 4}};
  const int kProcs[] = {2, 2, 2, 0, 1, 7, -3, -5, -40, 60, 2147483000};
  machine.WriteFile(kServicesFile, "other\t20011/tcp\r\ntqn3_1\t20021/tcp\r\n"
                                   "TQN4\t20030/udp\r\nthird\t20030/tcp\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    std::mt19937 random(c.seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto text = [&](const char* prefix, int values) {
      std::string value = prefix + std::to_string(pick(values));
      if (pick(2)) value[0] = static_cast<char>(std::toupper(value[0]));
      return value;
    };
    auto record = [&]() {
      MSInfo rec;
      rec.m_Name = text("n", c.texts).c_str();
      rec.m_ISHost = text("h", c.texts).c_str();
      rec.m_HtmlPath = ("C:\\" + text("w", c.texts)).c_str();
      rec.m_DBName = text("d", c.databases).c_str();
      rec.m_DBUser = text("u", c.databases).c_str();
      rec.SetDBPswd(text("p", c.databases).c_str());
      rec.m_MSPort = 16500 + pick(c.ports);
      rec.m_MSProc = kProcs[pick(static_cast<int>(sizeof kProcs / sizeof kProcs[0]))];
      return rec;
    };
    MSList before;
    for (int i = 0; i < c.preloaded; ++i) {
      MSInfo rec = record();
      before.Add(rec, 0);
    }
    MSList file;
    for (int i = 0; i < 300; ++i) {
      MSInfo rec = record();
      file.Add(rec, 0);
    }
    machine.WriteFile(kDataFile, "");
    ASSERT_EQ(file.Store(kDataFile), 1);

    MSList expected = before;
    std::vector<std::pair<std::string, int>> expectedRefused;
    for (int i = 0; i < file.GetCount(); ++i) {
      MSInfo rec;
      file.SetIndex(i);
      file.GetCurrent(rec);
      if (const int flags = expected.Add(rec, 1)) expectedRefused.emplace_back(rec.GetName(), flags);
    }
    MSList loaded = before;
    ASSERT_EQ(loaded.Load(kDataFile), 1);
    EXPECT_EQ(Names(loaded), Names(expected));
    EXPECT_EQ(loaded.GetIndex(), expected.GetIndex());
    std::vector<std::pair<std::string, int>> refused;
    for (int i = 0; i < loaded.GetRefusedCount(); ++i) {
      MSInfo rec;
      int flags = 0;
      loaded.GetRefused(i, rec, flags);
      refused.emplace_back(rec.GetName(), flags);
    }
    EXPECT_EQ(refused, expectedRefused);
    // Neither everything nor nothing: the case tells something.
    EXPECT_GT(expected.GetCount() - c.preloaded, 0);
    EXPECT_GT(expectedRefused.size(), 0u);
  }
}

}  // namespace
