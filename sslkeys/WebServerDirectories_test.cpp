#include "sslkeys/WebServerDirectories.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/testing/TempMachine.h"

namespace {

class WebServerDirectoriesTest : public orvane::test::MachineTest {};

constexpr char kLevel46[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6.2]\r\n"
    "\"ETCPath\"=\"D:\\\\Web Server\\\\etc\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6.2\\Directories]\r\n"
    "\"Executables\"=\"D:\\\\Web Server\\\\bin\"\r\n"
    "\"Administration\"=\"D:\\\\Web Server\\\\admin\"\r\n";

// Outputs that start non-empty, to tell "untouched" from "emptied".
struct Directories {
  KelString executables = "old executables";
  KelString configuration = "old configuration";
  KelString administration = "old administration";

  int Get() { return GetWebServerDirectories(executables, configuration, administration); }
};

std::string Text(const KelString& value) { return static_cast<const char*>(value); }

TEST_F(WebServerDirectoriesTest, ComeFromTheFirstVersionKey) {
  machine.WriteRegistry(kLevel46);
  Directories directories;
  EXPECT_EQ(directories.Get(), 1);
  EXPECT_EQ(Text(directories.executables), "D:\\Web Server\\bin");
  EXPECT_EQ(Text(directories.configuration), "D:\\Web Server\\etc\\httpd.cnf");
  EXPECT_EQ(Text(directories.administration), "D:\\Web Server\\admin");
}

TEST_F(WebServerDirectoriesTest, UntouchedWithoutA46Level) {
  Directories unregistered;
  EXPECT_EQ(unregistered.Get(), 0);

  // "4.0" lists before "4.6.2", and only the first version key counts.
  machine.WriteRegistry(kLevel46);
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.0]\r\n"
      "\"ETCPath\"=\"C:\\\\old\"\r\n");
  Directories olderLevel;
  EXPECT_EQ(olderLevel.Get(), 0);

  for (const Directories* directories : {&unregistered, &olderLevel}) {
    EXPECT_EQ(Text(directories->executables), "old executables");
    EXPECT_EQ(Text(directories->configuration), "old configuration");
    EXPECT_EQ(Text(directories->administration), "old administration");
  }
}

TEST_F(WebServerDirectoriesTest, ReportAMissingValue) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
      "\"Executables\"=\"C:\\\\WWW\\\\Bin\"\r\n");
  Directories directories;
  EXPECT_EQ(directories.Get(), 0);
  EXPECT_EQ(Text(directories.executables), "C:\\WWW\\Bin");
  // The configuration file is joined even without ETCPath.
  EXPECT_EQ(Text(directories.configuration), "\\httpd.cnf");
  EXPECT_EQ(Text(directories.administration), "old administration");
}

TEST_F(WebServerDirectoriesTest, RegistryStringMustFitAPathBuffer) {
  const std::string longest(260, 'a');
  machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n\"Longest\"=\"" + longest +
                        "\"\r\n\"TooLong\"=\"" + longest + "a\"\r\n");
  KelString result = "untouched";
  EXPECT_EQ(ReadRegistryString("SOFTWARE\\Test", "TooLong", result), 0);
  EXPECT_EQ(ReadRegistryString("SOFTWARE\\Test", "Missing", result), 0);
  EXPECT_EQ(ReadRegistryString("SOFTWARE\\Missing", "Longest", result), 0);
  EXPECT_EQ(Text(result), "untouched");
  EXPECT_EQ(ReadRegistryString("software\\test", "longest", result), 1);
  EXPECT_EQ(Text(result), longest);
}

}  // namespace
