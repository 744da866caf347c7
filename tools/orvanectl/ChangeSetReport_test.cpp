#include "ChangeSetReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "UnifiedDiff.h"
#include "orvane/os/Files.h"

namespace orvanectl {
namespace {

namespace os = orvane::os;

std::string Numbered(int from, int to, int changed = -1) {
  std::string text;
  for (int i = from; i <= to; ++i) text += (i == changed ? "new " : "line ") + std::to_string(i) + "\r\n";
  return text;
}

// What diff -u prints for the two texts, below its two name lines.
std::string SystemDiffHunks(const std::string& before, const std::string& after) {
  char folder[] = "/tmp/orvanectl-diff-XXXXXX";
  if (mkdtemp(folder) == nullptr) return "mkdtemp failed";
  const std::string a = std::string(folder) + "/a", b = std::string(folder) + "/b";
  std::ofstream(a, std::ios::binary) << before;
  std::ofstream(b, std::ios::binary) << after;
  std::string output;
  if (std::FILE* pipe = popen(("diff -u " + a + " " + b + " | tail -n +3 | tr -d '\\r'").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    pclose(pipe);
  }
  std::remove(a.c_str());
  std::remove(b.c_str());
  rmdir(folder);
  return output;
}

TEST(UnifiedDiffTest, HunksAreThoseOfDiffU) {
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      {"one line in the middle", Numbered(1, 20), Numbered(1, 20, 10)},
      {"two distant changes", Numbered(1, 40), Numbered(1, 3) + "x\r\n" + Numbered(4, 35, 33) + Numbered(36, 40)},
      {"lines appended", Numbered(1, 5), Numbered(1, 9)},
      {"lines removed at the start", Numbered(1, 12), Numbered(4, 12)},
      {"from nothing", "", Numbered(1, 3)},
      {"to nothing", Numbered(1, 3), ""},
      {"lines inserted", Numbered(1, 10), Numbered(1, 5) + "a\r\nb\r\n" + Numbered(6, 10)},
      {"last line loses its line end", "a\r\nb\r\n", "a\r\nb"},
  };
  for (const auto& c : cases) {
    const std::string diff = UnifiedDiff(c.before, c.after, "C:\\old", "C:\\new");
    ASSERT_EQ(diff.rfind("--- C:\\old\n+++ C:\\new\n", 0), 0u) << c.name;
    EXPECT_EQ(diff.substr(diff.find("@@")), SystemDiffHunks(c.before, c.after)) << c.name;
  }
  EXPECT_EQ(UnifiedDiff("same\r\n", "same\r\n", "a", "b"), "");
}

TEST(ChangeSetReportTest, SecretsNeverAppear) {
  os::ChangeSet changes;
  changes.files.push_back({"C:\\Tessaly\\instance\\shop1\\db.cmd", std::nullopt,
                           std::string("set PASSWORD=hunter2\r\n"), 0600});
  os::RegistryChange secret;
  secret.key = "SOFTWARE\\ODBC\\ODBC.INI\\shop1";
  secret.value = "PWD";
  secret.after = os::RegistryValue::String("hunter2");
  changes.registry.push_back(secret);
  changes.dataSources.push_back({os::DataSourceRequest::kAddSystem, "Velq",
                                 {"DSN=shop1", "UID=shopusr", "PWD=hunter2"}});
  const nlohmann::json entries = ChangeSetEntries(changes, true);
  EXPECT_EQ(entries.dump().find("hunter2"), std::string::npos) << entries.dump();
  for (const std::string& line : ChangeSetLines(entries)) EXPECT_EQ(line.find("hunter2"), std::string::npos) << line;
  EXPECT_TRUE(entries[0].value("private", false));
  EXPECT_EQ(entries[1]["after"], "(set)");
  EXPECT_EQ(entries[2]["attributes"][2], "PWD=(set)");
}

TEST(ChangeSetReportTest, EntriesAndTheirLines) {
  os::ChangeSet changes;
  const std::string services = os::WindowsDirectory() + "\\system32\\drivers\\etc\\services";
  changes.files.push_back({services, std::string("echo 7/tcp\r\nold 16500/tcp # gone\r\n"),
                           std::string("echo 7/tcp\r\nshop1 16570/tcp\r\n"), 0644});
  os::RegistryChange value;
  value.key = "SOFTWARE\\VXR\\Tessaly";
  value.value = "Port";
  value.before = os::RegistryValue::Dword(80);
  value.after = os::RegistryValue::Dword(8000);
  changes.registry.push_back(value);
  os::ServiceChange service;
  service.name = "TQshop1";
  service.before = os::ServiceConfig{};
  service.after = os::ServiceConfig{};
  service.after->startType = os::StartType::kAutomatic;
  service.stateAfter = os::ServiceState::kRunning;
  changes.services.push_back(service);
  changes.programs.push_back({"velqcmd /c db.cmd", "C:\\Tessaly\\instance\\shop1", true});
  const std::vector<std::string> lines = ChangeSetLines(ChangeSetEntries(changes, false));
  const std::vector<std::string> expected = {
      "change " + services,
      "remove TCP entry \"old 16500/tcp # gone\"",
      "add TCP entry \"shop1 16570/tcp\"",
      "change HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly \"Port\" = dword:00001f40 (was dword:00000050)",
      "change service TQshop1: start_type demand -> automatic, stopped -> running",
      "run velqcmd /c db.cmd in C:\\Tessaly\\instance\\shop1 (not run: the plan does not know what it would do)",
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace orvanectl
