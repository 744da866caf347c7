// The fixture of orvanectl's program tests: the built program run in a
// subprocess on a fresh emulated machine in a temporary folder, and a
// snapshot of the machine to prove a run changed nothing, byte for byte.
#ifndef ORVANECTL_ORVANECTLFIXTURE_H_
#define ORVANECTL_ORVANECTLFIXTURE_H_

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "MachineSnapshot_test.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace orvanectl_fixture {

namespace fs = std::filesystem;
using nlohmann::json;

struct CtlRun {
  int exit = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadFile(const fs::path& path) { return orvanectl::snapshot::FileBytes(path); }

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

using orvanectl::snapshot::ChangedPaths;
using orvanectl::snapshot::MachineSnapshot;
using orvanectl::snapshot::SnapshotOf;

class OrvanectlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orvanectl-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    m_machine = m_folder / "machine";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
  }

  // Runs orvanectl on the test's machine with standard input from input.
  CtlRun Ctl(const std::vector<std::string>& arguments, const std::string& input = "") {
    const fs::path in = m_folder / "in", out = m_folder / "out", err = m_folder / "err";
    WriteFile(in, input);
    std::string line = Quote(ORVANECTL_PROGRAM) + " --machine " + Quote(m_machine.string());
    for (const std::string& argument : arguments) line += " " + Quote(argument);
    line += " <" + Quote(in.string()) + " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int status = std::system(line.c_str());
    return CtlRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
  }

  // The JSON document of a --json run; a test failure when it does not parse.
  json CtlJson(const std::vector<std::string>& arguments, int expectedExit) {
    std::vector<std::string> withJson = {"--json"};
    withJson.insert(withJson.end(), arguments.begin(), arguments.end());
    CtlRun run = Ctl(withJson);
    EXPECT_EQ(run.exit, expectedExit) << run.out << run.err;
    json document = json::parse(run.out, nullptr, false);
    EXPECT_FALSE(document.is_discarded()) << run.out;
    if (!document.is_discarded()) {
      EXPECT_EQ(document["exit"], expectedExit);
    }
    return document;
  }

  // Runs orvanectl on a pseudo-terminal, as a user at a terminal would; types
  // answer once the output shows prompt. Everything the terminal showed.
  std::string OnTerminal(const std::vector<std::string>& arguments, const std::string& prompt = "",
                         const std::string& answer = "") {
    std::vector<std::string> words = {ORVANECTL_PROGRAM, "--machine", m_machine.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
      execv(argv[0], argv.data());
      _exit(127);
    }
    EXPECT_GT(child, 0);
    std::string shown;
    bool answered = prompt.empty();
    char buffer[256];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) {
      shown.append(buffer, static_cast<std::size_t>(got));
      if (!answered && shown.find(prompt) != std::string::npos) {
        EXPECT_EQ(write(terminal, answer.data(), answer.size()),
                  static_cast<ssize_t>(answer.size()));
        answered = true;
      }
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);
    EXPECT_TRUE(answered) << shown;
    return shown;
  }

  void SampleMachine() {
    CtlRun run = Ctl({"machine", "init", "--sample"});
    ASSERT_EQ(run.exit, 0) << run.err;
  }

  void AddShop(const std::string& name, const std::string& host) {
    CtlRun run = Ctl({"add", name, "--host", host, "--db-owner", "tqadmin"});
    ASSERT_EQ(run.exit, 0) << run.out << run.err;
  }

  fs::path DataFile() const {
    return m_machine / "drive_c" / "Tessaly" / "server" / "admin" / "tqconfig.dat";
  }
  fs::path HttpdCnf() const { return m_machine / "drive_c" / "WINNT" / "httpd.cnf"; }

  static bool HasMessage(const json& document, unsigned int id) {
    for (const json& message : document["messages"]) {
      if (message["id"] == id) return true;
    }
    return false;
  }

  fs::path m_folder;
  fs::path m_machine;
};

}  // namespace orvanectl_fixture

#endif  // ORVANECTL_ORVANECTLFIXTURE_H_
