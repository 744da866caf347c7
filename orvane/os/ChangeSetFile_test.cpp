#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "orvane/os/ChangeRecorder.h"

namespace orvane::os {
namespace {

// One change of every kind, with the bytes that break naive formats: NUL,
// CR LF, the format's own separators, and non-ASCII.
ChangeSet EveryKind() {
  ChangeSet changes;
  changes.files.push_back({"C:\\a\\b.ini", std::nullopt, std::string("x\0y\r\n12:-\n", 11), 0600});
  changes.files.push_back({"C:\\\xe9t\xe9.txt", std::string("old"), std::nullopt, 0644});
  changes.directories.push_back({"C:\\a", true});
  changes.modes.push_back({"C:\\a\\run.cmd", 0755});
  RegistryChange value;
  value.root = RegistryRoot::kCurrentUser;
  value.key = "SOFTWARE\\X";
  value.value = "";
  value.before = RegistryValue::Dword(7);
  value.after = RegistryValue::String("a\"b");
  changes.registry.push_back(value);
  RegistryChange key;
  key.key = "SOFTWARE\\Y";
  changes.registry.push_back(key);
  ServiceChange service;
  service.name = "TQshop1";
  service.after = ServiceConfig{};
  service.after->binaryPath = "C:\\bin\\tq.exe -s";
  service.stateAfter = ServiceState::kRunning;
  changes.services.push_back(service);
  changes.dataSources.push_back({DataSourceRequest::kRemoveSystem, "Velq", {"DSN=a", ""}});
  changes.programs.push_back({"velqcmd /c x.cmd", "C:\\", true});
  changes.startupItems.push_back({"Tessaly"});
  return changes;
}

std::string Saved(const ChangeSet& changes) {
  std::FILE* file = std::tmpfile();
  EXPECT_TRUE(SaveChangeSet(changes, file));
  std::rewind(file);
  std::string bytes;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) bytes += static_cast<char>(c);
  std::fclose(file);
  return bytes;
}

std::optional<ChangeSet> Loaded(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  std::optional<ChangeSet> changes = LoadChangeSet(file);
  std::fclose(file);
  return changes;
}

TEST(ChangeSetFileTest, EveryKindComesBackAsItWas) {
  const ChangeSet changes = EveryKind();
  const std::optional<ChangeSet> back = Loaded(Saved(changes));
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(*back == changes);
  EXPECT_EQ(back->files[0].after, changes.files[0].after);
  const std::optional<ChangeSet> empty = Loaded(Saved(ChangeSet{}));
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->Empty());
}

TEST(ChangeSetFileTest, ACutOrDamagedFileGivesNothing) {
  const std::string bytes = Saved(EveryKind());
  // Cut anywhere: nothing, never a part of the changes.
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(Loaded(bytes.substr(0, length)).has_value()) << length;
  }
  for (const std::string& damaged : {std::string("orvane change set 2\n"), bytes + "Z",
                                     bytes + "F99999999999:x", std::string("not a change set")}) {
    EXPECT_FALSE(Loaded(damaged).has_value()) << damaged;
  }
}

}  // namespace
}  // namespace orvane::os
