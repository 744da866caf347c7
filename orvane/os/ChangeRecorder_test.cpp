// The recording layer over whichever backend is in use: each case runs one
// step under a plan, which must leave the machine as it was and yield the
// expected changes, then the same step for real under a pass-through
// recorder, which must yield the same changes.
#include "orvane/os/ChangeRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "orvane/os/Accounts.h"
#include "orvane/os/Backend.h"
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/Files.h"
#include "orvane/os/Network.h"
#include "orvane/os/Process.h"
#include "orvane/os/Shell.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/MachineImage.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

constexpr RegistryRoot kLM = RegistryRoot::kLocalMachine;
constexpr char kKey[] = "SOFTWARE\\PlanTest";
constexpr char kService[] = "OrvanePlanTestService";

std::string ReadAll(FILE* stream) {
  std::string text;
  if (stream == nullptr) return "<cannot open>";
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  std::fclose(stream);
  return text;
}

void Write(const std::string& path, const char* mode, const std::string& text,
           int fileMode = 0666) {
  FILE* stream = OpenFile(path, mode, fileMode);
  ASSERT_NE(stream, nullptr) << path;
  std::fputs(text.c_str(), stream);
  std::fclose(stream);
}

std::vector<std::string> Names(const std::string& directory) {
  std::vector<std::string> names;
  Expected<std::vector<DirectoryEntry>> entries = ListDirectory(directory);
  if (!entries.ok()) return names;
  for (const DirectoryEntry& entry : *entries) names.push_back(entry.name);
  return names;
}

std::vector<std::string> Subkeys(const std::string& subkey) {
  std::vector<std::string> names;
  Expected<RegistryKey> key = RegistryKey::Open(kLM, subkey, RegistryAccess::kRead);
  for (unsigned long index = 0; key.ok(); ++index) {
    Expected<std::string> name = key->EnumerateSubkey(index);
    if (!name.ok()) break;
    names.push_back(*name);
  }
  return names;
}

std::optional<std::string> StringValue(const std::string& subkey, const std::string& name) {
  Expected<RegistryKey> key = RegistryKey::Open(kLM, subkey, RegistryAccess::kRead);
  if (!key.ok()) return std::nullopt;
  Expected<RegistryValue> value = key->QueryValue(name);
  if (!value.ok()) return std::nullopt;
  return value->AsString();
}

std::string Describe(const ChangeSet& changes) {
  std::ostringstream text;
  for (const FileChange& file : changes.files) {
    text << "file " << file.path << ": " << (file.before ? "\"" + *file.before + "\"" : "-")
         << " -> " << (file.after ? "\"" + *file.after + "\"" : "-") << " mode 0" << std::oct
         << file.newFileMode << std::dec << "\n";
  }
  for (const DirectoryChange& directory : changes.directories) {
    text << "directory " << directory.path << (directory.created ? " made" : " removed") << "\n";
  }
  for (const ModeChange& mode : changes.modes) {
    text << "mode " << mode.path << " 0" << std::oct << mode.mode << std::dec << "\n";
  }
  for (const RegistryChange& change : changes.registry) {
    text << "registry " << change.key << (change.value ? " value " + *change.value : " key") << ": "
         << (change.before ? change.before->AsString() : "-") << " -> "
         << (change.after ? change.after->AsString() : "-") << "\n";
  }
  for (const ServiceChange& service : changes.services) {
    text << "service " << service.name << ": " << (service.before ? "there" : "-") << "/"
         << static_cast<int>(service.stateBefore) << " -> " << (service.after ? "there" : "-")
         << "/" << static_cast<int>(service.stateAfter) << "\n";
  }
  for (const DataSourceChange& source : changes.dataSources) {
    text << "data source " << source.driver << " " << source.attributes.size() << "\n";
  }
  for (const ProgramRun& program : changes.programs) {
    text << "program " << program.commandLine << "\n";
  }
  for (const StartupItemChange& item : changes.startupItems) {
    text << "startup " << item.displayName << "\n";
  }
  return text.str();
}

// More than a MiB of numbered lines.
std::string LargeText(const std::string& lineEnd) {
  std::string text;
  for (int line = 0; line < 200000; ++line) text += std::to_string(line) + lineEnd;
  return text;
}

struct Step {
  const char* name;
  // Lays out what the step starts from, before any recorder.
  std::function<void(test::TempMachine&)> arrange;
  // The step, with the reads it makes afterwards (which must see its writes).
  std::function<void()> act;
  // The changes, as Describe gives them.
  std::string changes;
  // Why the step needs the emulated machine; null when it does not.
  const char* emulationOnly = nullptr;
};

ServiceConfig TestServiceConfig() {
  ServiceConfig config;
  config.binaryPath = "C:\\PlanTest\\bin\\idle.exe";
  config.displayName = "Plan test";
  config.startType = StartType::kAutomatic;
  return config;
}

void CreateTestService() {
  Expected<ServiceManager> manager = ServiceManager::Open();
  ASSERT_TRUE(manager.ok());
  ASSERT_TRUE(manager->CreateService(kService, TestServiceConfig()).ok());
}

Expected<Service> OpenTestService() {
  Expected<ServiceManager> manager = ServiceManager::Open();
  if (!manager.ok()) return manager.status();
  return manager->OpenService(kService);
}

void ArrangeFolder(test::TempMachine& machine) {
  machine.WriteFile("C:\\PlanTest\\old.txt", "one\r\n");
  machine.WriteFile("C:\\PlanTest\\Sub\\inner.txt", "inner");
}

void ArrangeKey(test::TempMachine&) {
  Expected<RegistryKey> key =
      RegistryKey::Create(kLM, std::string(kKey) + "\\Old", "", RegistryAccess::kAll);
  ASSERT_TRUE(key.ok());
  ASSERT_TRUE(key->SetValue("kept", RegistryValue::String("same")).ok());
  ASSERT_TRUE(key->SetValue("gone", RegistryValue::String("soon")).ok());
}

const std::vector<Step>& Steps() {
  static const std::vector<Step> steps = {
      {"NewTextFile", ArrangeFolder,
       [] {
         Write("C:\\PlanTest\\new.txt", "w", "a\nb\n", 0600);
         EXPECT_EQ(ReadAll(OpenFile("c:/plantest/NEW.TXT", "r")), "a\nb\n");
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\new.txt", "rb")), "a\r\nb\r\n");
         EXPECT_EQ(Names("C:\\PlanTest"), (std::vector<std::string>{"new.txt", "old.txt", "Sub"}));
       },
       "file C:\\PlanTest\\new.txt: - -> \"a\r\nb\r\n\" mode 0600\n"},
      {"AppendStartsFromTheOldBytes", ArrangeFolder,
       [] {
         Write("C:\\PlanTest\\old.txt", "a", "two\n");
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\old.txt", "r")), "one\ntwo\n");
         Expected<FileSnapshot> snapshot = FileSnapshot::Take("C:\\PlanTest\\old.txt");
         ASSERT_TRUE(snapshot.ok());
         EXPECT_EQ(snapshot->bytes(), "one\r\ntwo\r\n");
         EXPECT_TRUE(snapshot->IsCurrent());
       },
       "file C:\\PlanTest\\old.txt: \"one\r\n\" -> \"one\r\ntwo\r\n\" mode 0666\n"},
      {"ReplacedTwiceWithBackupIsOneChangeEach", ArrangeFolder,
       [] {
         for (const char* text : {"first", "second"}) {
           ReplacementFile file("C:\\PlanTest\\old.txt", "wb", 0640);
           ASSERT_NE(file.stream(), nullptr);
           std::fputs(text, file.stream());
           ASSERT_TRUE(file.Commit("C:\\PlanTest\\old.bak").ok());
         }
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\old.bak", "rb")), "first");
       },
       "file C:\\PlanTest\\old.txt: \"one\r\n\" -> \"second\" mode 0640\n"
       "file C:\\PlanTest\\old.bak: - -> \"first\" mode 0640\n"},
      {"UncommittedReplacementChangesNothing", ArrangeFolder,
       [] {
         ReplacementFile file("C:\\PlanTest\\old.txt", "w");
         ASSERT_NE(file.stream(), nullptr);
         std::fputs("never", file.stream());
         EXPECT_TRUE(file.Finish().ok());
       },
       ""},
      {"CreatedAndDeletedIsNoChange", ArrangeFolder,
       [] {
         Write("C:\\PlanTest\\brief.txt", "w", "x");
         EXPECT_TRUE(PathExists("C:\\PlanTest\\brief.txt"));
         ASSERT_TRUE(DeleteFile("C:\\PlanTest\\brief.txt").ok());
         EXPECT_FALSE(PathExists("C:\\PlanTest\\brief.txt"));
         EXPECT_EQ(OpenFile("C:\\PlanTest\\brief.txt", "r"), nullptr);
       },
       ""},
      {"CopiedThenMoved", ArrangeFolder,
       [] {
         ASSERT_TRUE(CopyFile("C:\\PlanTest\\old.txt", "C:\\PlanTest\\copy.txt").ok());
         EXPECT_EQ(CopyFile("C:\\PlanTest\\old.txt", "C:\\PlanTest\\copy.txt", true).code(),
                   kFileExists);
         ASSERT_TRUE(MoveFile("C:\\PlanTest\\copy.txt", "C:\\PlanTest\\moved.txt").ok());
         EXPECT_FALSE(PathExists("C:\\PlanTest\\copy.txt"));
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\moved.txt", "rb")), "one\r\n");
       },
       "file C:\\PlanTest\\moved.txt: - -> \"one\r\n\" mode 0666\n"},
      // A copy, a move and a backup hold their bytes without a stream; each
      // later use of such a file must see them as a written one does.
      {"CopyThenAppendedAndReadAsText", ArrangeFolder,
       [] {
         ASSERT_TRUE(CopyFile("C:\\PlanTest\\old.txt", "C:\\PlanTest\\copy.txt").ok());
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\COPY.txt", "r")), "one\n");
         Write("C:\\PlanTest\\copy.txt", "a", "two\n");
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\copy.txt", "rb")), "one\r\ntwo\r\n");
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\old.txt", "rb")), "one\r\n");
       },
       "file C:\\PlanTest\\copy.txt: - -> \"one\r\ntwo\r\n\" mode 0666\n"},
      {"CopyOfACopyKeepsTheFirstBytes", ArrangeFolder,
       [] {
         ASSERT_TRUE(CopyFile("C:\\PlanTest\\old.txt", "C:\\PlanTest\\a.txt").ok());
         ASSERT_TRUE(CopyFile("C:\\PlanTest\\a.txt", "C:\\PlanTest\\b.txt").ok());
         Write("C:\\PlanTest\\a.txt", "w", "new");
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\b.txt", "rb")), "one\r\n");
       },
       "file C:\\PlanTest\\a.txt: - -> \"new\" mode 0666\n"
       "file C:\\PlanTest\\b.txt: - -> \"one\r\n\" mode 0666\n"},
      {"MovedFileUpdatedInPlace", ArrangeFolder,
       [] {
         ASSERT_TRUE(MoveFile("C:\\PlanTest\\old.txt", "C:\\PlanTest\\moved.txt").ok());
         FILE* stream = OpenFile("C:\\PlanTest\\moved.txt", "r+b");
         ASSERT_NE(stream, nullptr);
         std::fputs("O", stream);
         std::fclose(stream);
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\moved.txt", "rb")), "One\r\n");
       },
       "file C:\\PlanTest\\old.txt: \"one\r\n\" -> - mode 0666\n"
       "file C:\\PlanTest\\moved.txt: - -> \"One\r\n\" mode 0666\n"},
      {"BackupOfAMachineFileThenAppended", ArrangeFolder,
       [] {
         ReplacementFile file("C:\\PlanTest\\old.txt", "wb");
         ASSERT_NE(file.stream(), nullptr);
         std::fputs("fresh", file.stream());
         ASSERT_TRUE(file.Commit("C:\\PlanTest\\old.bak").ok());
         Write("C:\\PlanTest\\old.bak", "ab", "kept");
         EXPECT_EQ(ReadAll(OpenFile("C:\\PlanTest\\old.bak", "rb")), "one\r\nkept");
       },
       "file C:\\PlanTest\\old.txt: \"one\r\n\" -> \"fresh\" mode 0666\n"
       "file C:\\PlanTest\\old.bak: - -> \"one\r\nkept\" mode 0666\n"},
      // Past what a plan holds in memory, a replacement goes to its scratch folder.
      {"LargeReplacementReadBack", ArrangeFolder,
       [] {
         ReplacementFile file("C:\\PlanTest\\large.txt", "w");
         ASSERT_NE(file.stream(), nullptr);
         std::fputs(LargeText("\n").c_str(), file.stream());
         ASSERT_TRUE(file.Commit().ok());
         const std::string read = ReadAll(OpenFile("C:\\PlanTest\\large.txt", "rb"));
         EXPECT_TRUE(read == LargeText("\r\n")) << read.size() << " bytes: " << read.substr(0, 80);
       },
       "file C:\\PlanTest\\large.txt: - -> \"" + LargeText("\r\n") + "\" mode 0666\n"},
      {"DirectoriesMadeAndRemoved", ArrangeFolder,
       [] {
         EXPECT_EQ(CreateDirectory("C:\\PlanTest\\New\\Deeper").code(), kPathNotFound);
         ASSERT_TRUE(CreateDirectory("C:\\PlanTest\\New").ok());
         EXPECT_EQ(CreateDirectory("C:\\PlanTest\\new").code(), kAlreadyExists);
         Write("C:\\PlanTest\\New\\file.txt", "wb", "data");
         EXPECT_TRUE(DirectoryExists("C:\\PlanTest\\New"));
         EXPECT_EQ(Names("C:\\PlanTest\\New"), std::vector<std::string>{"file.txt"});
         EXPECT_EQ(RemoveDirectory("C:\\PlanTest\\Sub").code(), kDirectoryNotEmpty);
         ASSERT_TRUE(DeleteFile("C:\\PlanTest\\Sub\\inner.txt").ok());
         EXPECT_EQ(ListDirectory("C:\\PlanTest\\Sub").status().code(), kFileNotFound);
         ASSERT_TRUE(RemoveDirectory("C:\\PlanTest\\Sub").ok());
         EXPECT_FALSE(PathExists("C:\\PlanTest\\Sub"));
         EXPECT_EQ(Names("C:\\PlanTest"), (std::vector<std::string>{"New", "old.txt"}));
       },
       "file C:\\PlanTest\\New\\file.txt: - -> \"data\" mode 0666\n"
       "file C:\\PlanTest\\Sub\\inner.txt: \"inner\" -> - mode 0666\n"
       "directory C:\\PlanTest\\New made\n"
       "directory C:\\PlanTest\\Sub removed\n"},
      {"ModesAreRecordedOncePerPath", ArrangeFolder,
       [] {
         ASSERT_TRUE(SetFileMode("C:\\PlanTest\\old.txt", 0600).ok());
         ASSERT_TRUE(SetFileMode("C:\\PlanTest\\OLD.txt", 0640).ok());
       },
#if defined(_WIN32)
       ""},  // Windows files have no modes: setting one changes nothing
#else
       "mode C:\\PlanTest\\old.txt 0640\n"},
#endif
      {"RegistryKeysAndValues", ArrangeKey,
       [] {
         Expected<RegistryKey> key = RegistryKey::Create(kLM, std::string(kKey) + "\\New\\Deep",
                                                         "class", RegistryAccess::kAll);
         ASSERT_TRUE(key.ok());
         ASSERT_TRUE(key->SetValue("name", RegistryValue::String("value")).ok());
         EXPECT_EQ(StringValue(std::string(kKey) + "\\new\\DEEP", "NAME"), "value");
         EXPECT_EQ(*key->KeyClass(), "class");
         EXPECT_EQ(Subkeys(kKey), (std::vector<std::string>{"New", "Old"}));

         Expected<RegistryKey> old =
             RegistryKey::Open(kLM, std::string(kKey) + "\\Old", RegistryAccess::kAll);
         ASSERT_TRUE(old.ok());
         ASSERT_TRUE(old->SetValue("kept", RegistryValue::String("same")).ok());
         ASSERT_TRUE(old->DeleteValue("gone").ok());
         EXPECT_EQ(old->DeleteValue("gone").code(), kFileNotFound);
         EXPECT_EQ(*old->EnumerateValue(0), "kept");
         EXPECT_EQ(old->EnumerateValue(1).status().code(), kNoMoreItems);
         EXPECT_EQ(DeleteRegistryKey(kLM, std::string(kKey) + "\\New").code(), kAccessDenied);
         ASSERT_TRUE(DeleteRegistryKey(kLM, std::string(kKey) + "\\Old").ok());
         EXPECT_EQ(old->QueryValue("kept").status().code(), kKeyDeleted);
         EXPECT_EQ(Subkeys(kKey), std::vector<std::string>{"New"});
       },
       "registry SOFTWARE\\PlanTest\\New key: - -> \n"
       "registry SOFTWARE\\PlanTest\\New\\Deep key: - -> \n"
       "registry SOFTWARE\\PlanTest\\New\\Deep value name: - -> value\n"
       // Set to what it held, then gone with its key.
       "registry SOFTWARE\\PlanTest\\Old value kept: same -> -\n"
       "registry SOFTWARE\\PlanTest\\Old value gone: soon -> -\n"
       "registry SOFTWARE\\PlanTest\\Old key:  -> -\n"},
      {"ServiceCreatedAndStarted", nullptr,
       [] {
         Expected<ServiceManager> manager = ServiceManager::Open();
         ASSERT_TRUE(manager.ok());
         ASSERT_TRUE(manager->CreateService(kService, TestServiceConfig()).ok());
         EXPECT_EQ(manager->CreateService(kService, TestServiceConfig()).status().code(),
                   kServiceExists);
         Expected<Service> service = manager->OpenService(kService);
         ASSERT_TRUE(service.ok());
         unsigned long needed = 0;
         EXPECT_EQ(service->QueryConfig(0, &needed).status().code(), kInsufficientBuffer);
         Expected<ServiceConfig> config = service->QueryConfig(needed, &needed);
         ASSERT_TRUE(config.ok());
         EXPECT_EQ(config->binaryPath, "C:\\PlanTest\\bin\\idle.exe");
         EXPECT_EQ(service->QueryStatus()->state, ServiceState::kStopped);
         ASSERT_TRUE(service->Start().ok());
         EXPECT_EQ(service->QueryStatus()->state, ServiceState::kRunning);
       },
       "service OrvanePlanTestService: -/1 -> there/4\n",
       "a service that starts without a program"},
      {"ServiceReconfiguredAndDeleted", [](test::TempMachine&) { CreateTestService(); },
       [] {
         Expected<Service> service = OpenTestService();
         ASSERT_TRUE(service.ok());
         ASSERT_TRUE(service->ChangeStartType(StartType::kDisabled).ok());
         EXPECT_EQ(service->Start().code(), kServiceDisabled);
         ASSERT_TRUE(service->Delete().ok());
         EXPECT_EQ(OpenTestService().status().code(), kServiceDoesNotExist);
       },
       "service OrvanePlanTestService: there/1 -> -/1\n", "services of the test's own"},
      {"ServicesFileLookUpSeesItsPendingLines",
       [](test::TempMachine& machine) {
         machine.WriteFile(test::TempMachine::ServicesFile(), "echo 7/tcp\r\n");
       },
       [] {
         Write(test::TempMachine::ServicesFile(), "a", "tqplan 16571/tcp\n");
         Expected<ServiceEntry> entry = LookupServiceByPort(16571, "tcp");
         ASSERT_TRUE(entry.ok());
         EXPECT_EQ(entry->name, "tqplan");
       },
       "file " + test::TempMachine::ServicesFile() +
           ": \"echo 7/tcp\r\n\" -> \"echo 7/tcp\r\ntqplan 16571/tcp\r\n\" mode 0666\n",
       "the services file under C:\\WINNT"},
      {"StartupItemDeleted",
       [](test::TempMachine& machine) {
         Expected<std::string> user = CurrentUserName();
         ASSERT_TRUE(user.ok());
         machine.WriteFile(
             "C:\\WINNT\\Profiles\\" + *user + "\\Start Menu\\Programs\\Startup\\Shop.lnk", "link");
       },
       [] {
         ASSERT_TRUE(DeleteStartupItem("Shop").ok());
         EXPECT_EQ(DeleteStartupItem("Shop").code(), kFileNotFound);
         Expected<std::vector<std::string>> items = ListStartupItems();
         ASSERT_TRUE(items.ok());
         EXPECT_TRUE(items->empty());
       },
       "startup Shop\n", "the Startup folder under C:\\WINNT"},
  };
  return steps;
}

void PrintTo(const Step& step, std::ostream* out) { *out << step.name; }

class PlannedStepTest : public ::testing::TestWithParam<Step> {
 protected:
  test::TempMachine machine;
};

TEST_P(PlannedStepTest, PlanLeavesTheMachineAsItWasAndEqualsTheRealRun) {
  const Step& step = GetParam();
  if (step.emulationOnly != nullptr) ORVANE_SKIP_WITHOUT_EMULATION(step.emulationOnly);
  ASSERT_TRUE(CreateDirectory("C:\\PlanTest").ok());
  if (step.arrange) step.arrange(machine);
  const std::map<std::string, std::string> before = test::MachineImage(machine);

  ChangeSet planned;
  {
    ChangeRecorder plan(Recording::kPlan);
    ASSERT_TRUE(plan.status().ok());
    step.act();
    planned = plan.Changes();
  }
  EXPECT_EQ(Describe(planned), step.changes);
  EXPECT_TRUE(test::MachineImage(machine) == before) << "the plan changed the machine";

  ChangeSet real;
  {
    ChangeRecorder run(Recording::kPassThrough);
    ASSERT_TRUE(run.status().ok());
    step.act();
    real = run.Changes();
  }
  EXPECT_EQ(Describe(real), step.changes);
  EXPECT_TRUE(planned == real);
  if (Expected<Service> left = OpenTestService()) left->Delete();
}

INSTANTIATE_TEST_SUITE_P(EveryResource, PlannedStepTest, ::testing::ValuesIn(Steps()),
                         [](const ::testing::TestParamInfo<Step>& info) {
                           return std::string(info.param.name);
                         });

// A call that fails on the machine fails alike under the plan.
struct Failure {
  const char* name;
  std::function<unsigned long()> call;  // the code it fails with (kSuccess if it does not)
  const char* notUnderWine = nullptr;   // why Wine lets the call succeed
};

unsigned long CodeOf(FILE* stream) {
  if (stream == nullptr) return LastError();
  std::fclose(stream);
  return kSuccess;
}

template <class T>
unsigned long CodeOf(const Expected<T>& result) {
  return result.ok() ? kSuccess : result.status().code();
}

unsigned long CodeOf(const Status& status) { return status.code(); }

const std::vector<Failure>& Failures() {
  static const std::vector<Failure> failures = {
      {"WriteIntoAMissingFolder",
       [] { return CodeOf(OpenFile("C:\\PlanTest\\Missing\\x.txt", "w")); }},
      {"UpdateAMissingFile", [] { return CodeOf(OpenFile("C:\\PlanTest\\missing.txt", "r+")); }},
      {"WriteOverAFolder", [] { return CodeOf(OpenFile("C:\\PlanTest\\Sub", "w")); }},
      {"ReadAMissingFile", [] { return CodeOf(OpenFile("C:\\PlanTest\\missing.txt", "r")); }},
      {"ReplaceAFolder",
       [] {
         // Windows refuses it at the rename, the emulated machine at once.
         ReplacementFile file("C:\\PlanTest\\Sub", "w");
         return file.status().ok() ? CodeOf(file.Commit()) : file.status().code();
       }},
      {"ReplaceInAMissingFolder",
       [] { return CodeOf(ReplacementFile("C:\\PlanTest\\Missing\\x", "w").status()); }},
      {"DeleteAMissingFile", [] { return CodeOf(DeleteFile("C:\\PlanTest\\missing.txt")); }},
      {"MakeAnExistingFolder", [] { return CodeOf(CreateDirectory("C:\\PlanTest\\sub")); }},
      {"MakeAFolderInAMissingOne",
       [] { return CodeOf(CreateDirectory("C:\\PlanTest\\Missing\\New")); }},
      {"RemoveAFullFolder", [] { return CodeOf(RemoveDirectory("C:\\PlanTest\\Sub")); }},
      {"CopyAMissingFile",
       [] { return CodeOf(CopyFile("C:\\PlanTest\\missing.txt", "C:\\PlanTest\\c.txt")); }},
      {"CopyOverAnExistingFile",
       [] {
         return CodeOf(CopyFile("C:\\PlanTest\\old.txt", "C:\\PlanTest\\Sub\\inner.txt", true));
       }},
      {"MoveAMissingFile",
       [] { return CodeOf(MoveFile("C:\\PlanTest\\missing.txt", "C:\\PlanTest\\m.txt")); }},
      {"ListAMissingFolder", [] { return CodeOf(ListDirectory("C:\\PlanTest\\Missing")); }},
      {"ListWithoutAMatch", [] { return CodeOf(ListDirectory("C:\\PlanTest", "*.none")); }},
      {"OpenAMissingKey",
       [] {
         return CodeOf(RegistryKey::Open(kLM, std::string(kKey) + "\\None", RegistryAccess::kRead));
       }},
      {"DeleteAKeyWithSubkeys", [] { return CodeOf(DeleteRegistryKey(kLM, kKey)); }},
      {"DeleteAMissingKey",
       [] { return CodeOf(DeleteRegistryKey(kLM, std::string(kKey) + "\\None")); }},
      {"DeleteAMissingValue",
       [] {
         Expected<RegistryKey> key =
             RegistryKey::Open(kLM, std::string(kKey) + "\\Old", RegistryAccess::kAll);
         return key.ok() ? CodeOf(key->DeleteValue("none")) : key.status().code();
       }},
      {"QueryThroughAWriteOnlyKey",
       [] {
         Expected<RegistryKey> key =
             RegistryKey::Open(kLM, std::string(kKey) + "\\Old", RegistryAccess::kWrite);
         return key.ok() ? CodeOf(key->QueryValue("kept")) : key.status().code();
       },
       "Wine reads through a key opened for writing"},
      {"OpenAMissingService",
       [] {
         Expected<ServiceManager> manager = ServiceManager::Open();
         return manager.ok() ? CodeOf(manager->OpenService("OrvanePlanNoSuchService"))
                             : manager.status().code();
       }},
  };
  return failures;
}

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class PlannedFailureTest : public ::testing::TestWithParam<Failure> {
 protected:
  test::TempMachine machine;
};

TEST_P(PlannedFailureTest, FailsWithTheMachinesCode) {
  if (GetParam().notUnderWine != nullptr && test::RunningUnderWine()) {
    GTEST_SKIP() << GetParam().notUnderWine;
  }
  ASSERT_TRUE(CreateDirectory("C:\\PlanTest").ok());
  ArrangeFolder(machine);
  ArrangeKey(machine);
  const unsigned long real = GetParam().call();
  ASSERT_NE(real, kSuccess) << "the call does not fail on the machine";
  ChangeRecorder plan(Recording::kPlan);
  EXPECT_EQ(GetParam().call(), real);
  EXPECT_TRUE(plan.Changes().Empty()) << Describe(plan.Changes());
}

INSTANTIATE_TEST_SUITE_P(EveryResource, PlannedFailureTest, ::testing::ValuesIn(Failures()),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                           return std::string(info.param.name);
                         });

using ChangeRecorderTest = test::MachineTest;

TEST_F(ChangeRecorderTest, PlanRecordsProgramsDataSourcesAndSleepsWithoutDoingThem) {
  ChangeRecorder plan(Recording::kPlan);
  ASSERT_TRUE(plan.status().ok());
  EXPECT_TRUE(StartProcess("C:\\PlanTest\\missing.exe /quiet", "C:\\PlanTest").ok());
  Expected<ChildPipe> pipe = ChildPipe::Open("C:\\PlanTest\\missing.exe -");
  ASSERT_TRUE(pipe.ok());
  std::fputs("discarded\n", pipe->stream());
  EXPECT_EQ(pipe->Close(), 0);
  const char attributes[] = "DSN=shop\0Database=C:\\db\0";
  EXPECT_TRUE(
      ConfigureDataSource(DataSourceRequest::kAddSystem, "No Such Driver", attributes).ok());
  machine.UseVirtualClock();
  const std::map<std::string, std::string> clocked = test::MachineImage(machine);
  SleepMilliseconds(600000);

  ChangeSet changes = plan.Changes();
  ASSERT_EQ(changes.programs.size(), 2u);
  EXPECT_EQ(changes.programs[0].commandLine, "C:\\PlanTest\\missing.exe /quiet");
  EXPECT_EQ(changes.programs[0].workingDirectory, "C:\\PlanTest");
  EXPECT_TRUE(changes.programs[1].piped);
  ASSERT_EQ(changes.dataSources.size(), 1u);
  EXPECT_EQ(changes.dataSources[0].attributes,
            (std::vector<std::string>{"DSN=shop", "Database=C:\\db"}));
  EXPECT_TRUE(test::MachineImage(machine) == clocked) << "the plan changed the machine";
}

TEST_F(ChangeRecorderTest, OneRecorderAtATime) {
  ChangeRecorder first(Recording::kPlan);
  ASSERT_TRUE(first.status().ok());
  {
    ChangeRecorder second(Recording::kPassThrough);
    EXPECT_EQ(second.status().code(), kAlreadyExists);
    EXPECT_TRUE(CreateDirectory("C:\\Planned").ok());
    EXPECT_TRUE(second.Changes().Empty());
  }
  // The second one's end leaves the first one recording.
  EXPECT_TRUE(DirectoryExists("C:\\Planned"));
  EXPECT_EQ(first.Changes().directories.size(), 1u);
}

// A reader may keep a snapshot (the services database does) across plans:
// it stays current while no plan holds a change of its file, so that one
// parse serves plan after plan, and is stale whenever the run would read
// other bytes than it holds.
TEST_F(ChangeRecorderTest, MachineSnapshotIsStaleWhileAPlanHoldsItsFilePending) {
  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"write", [] { Write("C:\\kept.txt", "wb", "planned"); }},
      {"append", [] { Write("C:\\kept.txt", "ab", "more"); }},
      {"copy onto", [] { ASSERT_TRUE(CopyFile("C:\\other.txt", "C:\\kept.txt", false).ok()); }},
      {"move onto", [] { ASSERT_TRUE(MoveFile("C:\\other.txt", "C:\\KEPT.TXT").ok()); }},
      {"move away", [] { ASSERT_TRUE(MoveFile("C:\\kept.txt", "C:\\moved.txt").ok()); }},
      {"delete", [] { ASSERT_TRUE(DeleteFile("c:/kept.txt").ok()); }},
  };
  machine.WriteFile("C:\\kept.txt", "machine");
  machine.WriteFile("C:\\other.txt", "other");
  Expected<FileSnapshot> before = FileSnapshot::Take("C:\\kept.txt");
  ASSERT_TRUE(before.ok());
  for (const Case& c : cases) {
    std::optional<FileSnapshot> inside;
    {
      ChangeRecorder plan(Recording::kPlan);
      inside.emplace(std::move(*FileSnapshot::Take("C:\\kept.txt")));
      EXPECT_TRUE(before->IsCurrent()) << c.what;
      Write("C:\\unrelated.txt", "wb", "x");
      EXPECT_TRUE(inside->IsCurrent()) << c.what;
      c.change();
      EXPECT_FALSE(before->IsCurrent()) << c.what;
      EXPECT_FALSE(inside->IsCurrent()) << c.what;
    }
    // The plan changed nothing on the machine.
    EXPECT_TRUE(before->IsCurrent()) << c.what;
    EXPECT_TRUE(inside->IsCurrent()) << c.what;
    ChangeRecorder next(Recording::kPlan);
    EXPECT_TRUE(inside->IsCurrent()) << c.what;
    c.change();
    EXPECT_FALSE(inside->IsCurrent()) << c.what << " in a later plan";
  }
}

TEST_F(ChangeRecorderTest, SnapshotsAreStaleOnceTheMachinesFileChanges) {
  machine.WriteFile("C:\\kept.txt", "machine");
  Expected<FileSnapshot> before = FileSnapshot::Take("C:\\kept.txt");
  ASSERT_TRUE(before.ok());
  std::optional<FileSnapshot> inside;
  {
    ChangeRecorder plan(Recording::kPlan);
    inside.emplace(std::move(*FileSnapshot::Take("C:\\kept.txt")));
    machine.WriteFile("C:\\kept.txt", "changed by another process");
    EXPECT_FALSE(before->IsCurrent());
    EXPECT_FALSE(inside->IsCurrent());
  }
  EXPECT_FALSE(before->IsCurrent());
  EXPECT_FALSE(inside->IsCurrent());
  {
    // What a real run writes reaches the machine: stale as well.
    Expected<FileSnapshot> again = FileSnapshot::Take("C:\\kept.txt");
    ASSERT_TRUE(again.ok());
    ChangeRecorder run(Recording::kPassThrough);
    Write("C:\\kept.txt", "wb", "written for real");
    EXPECT_FALSE(again->IsCurrent());
  }
}

// A snapshot of what only a plan holds, and the handles a plan gave, never
// mix the plan's state with the machine's once it has gone.
TEST_F(ChangeRecorderTest, PendingSnapshotsAndHandlesKeptAfterThePlanAreStaleOrFail) {
  machine.WriteFile("C:\\kept.txt", "machine");
  std::optional<FileSnapshot> pending;
  std::optional<RegistryKey> key;
  std::optional<ReplacementFile> replacement;
  {
    ChangeRecorder plan(Recording::kPlan);
    Write("C:\\pending.txt", "wb", "planned");
    pending.emplace(std::move(*FileSnapshot::Take("C:\\pending.txt")));
    EXPECT_TRUE(pending->IsCurrent());
    key.emplace(std::move(*RegistryKey::Create(kLM, kKey, "", RegistryAccess::kAll)));
    replacement.emplace("C:\\kept.txt", "wb");
  }
  EXPECT_FALSE(pending->IsCurrent());
  EXPECT_EQ(key->SetValue("late", RegistryValue::String("x")).code(), kInvalidHandle);
  EXPECT_EQ(replacement->Commit().code(), kInvalidHandle);
  EXPECT_EQ(machine.ReadFile("C:\\kept.txt"), "machine");
  EXPECT_FALSE(RegistryKey::Open(kLM, kKey, RegistryAccess::kRead).ok());
}

// What one plan looked up on the machine is not what the next one sees.
TEST_F(ChangeRecorderTest, EachPlanSeesTheMachineAsItIsWhenItLooks) {
  for (const char* content : {"first", "second"}) {
    machine.WriteFile("C:\\source.txt", content);
    ChangeRecorder plan(Recording::kPlan);
    ASSERT_TRUE(CopyFile("C:\\source.txt", "C:\\copy.txt").ok());
    EXPECT_EQ(Describe(plan.Changes()),
              std::string("file C:\\copy.txt: - -> \"") + content + "\" mode 0666\n");
  }
}

// Another writer (the backend called directly, which the layer does not
// see) changes the machine while a run reads it: a plan keeps what it first
// read of each key, value and service, a view of one moment, while a
// pass-through run sees the change at once.
TEST_F(ChangeRecorderTest, APlanKeepsWhatItFirstReadOfTheMachine) {
  const std::string child = std::string(kKey) + "\\Child";
  for (Recording mode : {Recording::kPlan, Recording::kPassThrough}) {
    SCOPED_TRACE(mode == Recording::kPlan ? "plan" : "pass-through");
    Expected<backend::RegistryKey> written =
        backend::RegistryKey::Create(kLM, kKey, "", RegistryAccess::kAll);
    ASSERT_TRUE(written.ok());
    ASSERT_TRUE(written->SetValue("v", RegistryValue::String("first")).ok());
    CreateTestService();
    ChangeRecorder run(mode);
    EXPECT_EQ(StringValue(kKey, "v"), "first");
    EXPECT_TRUE(Subkeys(kKey).empty());
    EXPECT_TRUE(OpenTestService().ok());

    ASSERT_TRUE(written->SetValue("v", RegistryValue::String("second")).ok());
    ASSERT_TRUE(backend::RegistryKey::Create(kLM, child, "", RegistryAccess::kAll).ok());
    Expected<backend::ServiceManager> manager = backend::ServiceManager::Open();
    ASSERT_TRUE(manager.ok());
    ASSERT_TRUE(manager->OpenService(kService)->Delete().ok());
    const bool seen = mode == Recording::kPassThrough;
    EXPECT_EQ(StringValue(kKey, "v"), seen ? "second" : "first");
    EXPECT_EQ(Subkeys(kKey).size(), seen ? 1u : 0u);
    EXPECT_EQ(OpenTestService().ok(), !seen);
    EXPECT_TRUE(backend::DeleteRegistryKey(kLM, child).ok());
    EXPECT_TRUE(backend::DeleteRegistryKey(kLM, kKey).ok());
  }
}

TEST_F(ChangeRecorderTest, WithoutRecorderCallsReachTheMachine) {
  { ChangeRecorder plan(Recording::kPlan); }
  ASSERT_TRUE(CreateDirectory("C:\\Real").ok());
  EXPECT_TRUE(machine.FileExists("C:\\Real"));
}

}  // namespace
}  // namespace orvane::os
