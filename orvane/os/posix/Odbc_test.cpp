// System data sources on the emulated machine, kept where the installer
// keeps them.
#include "orvane/os/Odbc.h"

#include <gtest/gtest.h>

#include "orvane/os/Registry.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

constexpr char kDriver[] = "VXR VELQ ODBC DRIVER";
constexpr char kSourceKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\SHOPDB";
constexpr char kListKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

class EmulatedOdbcTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\VXR VELQ ODBC DRIVER]\r\n"
        "\"Driver\"=\"C:\\\\VELQ\\\\bin\\\\velqodbc.dll\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\Plain Driver]\r\n");
  }

  static std::string StringAt(const std::string& key, const std::string& name) {
    Expected<RegistryKey> opened =
        RegistryKey::Open(RegistryRoot::kLocalMachine, key, RegistryAccess::kRead);
    if (!opened) return "<no key>";
    Expected<RegistryValue> value = opened->QueryValue(name);
    return value ? value->AsString() : "<no value>";
  }

  static bool KeyExists(const std::string& key) {
    return RegistryKey::Open(RegistryRoot::kLocalMachine, key, RegistryAccess::kRead).ok();
  }
};

TEST_F(EmulatedOdbcTest, AddedSystemDataSourceIsStoredAndListed) {
  const char attributes[] = "DSN=SHOPDB\0Description=VXR Tessaly3\0";
  ASSERT_TRUE(ConfigureDataSource(DataSourceRequest::kAddSystem, kDriver, attributes));
  EXPECT_EQ(StringAt(kSourceKey, "Driver"), "C:\\VELQ\\bin\\velqodbc.dll");
  EXPECT_EQ(StringAt(kSourceKey, "Description"), "VXR Tessaly3");
  EXPECT_EQ(StringAt(kSourceKey, "DSN"), "<no value>");
  EXPECT_EQ(StringAt(kListKey, "SHOPDB"), kDriver);

  ASSERT_TRUE(ConfigureDataSource(DataSourceRequest::kAddSystem, "Plain Driver",
                                  "DSN=OTHER\0junk\0=x\0UID=db2\0"));
  EXPECT_EQ(StringAt("SOFTWARE\\ODBC\\ODBC.INI\\OTHER", "Driver"), "Plain Driver");
  EXPECT_EQ(StringAt("SOFTWARE\\ODBC\\ODBC.INI\\OTHER", "UID"), "db2");
}

TEST_F(EmulatedOdbcTest, AddingAgainReplacesTheEarlierAttributes) {
  ASSERT_TRUE(ConfigureDataSource(DataSourceRequest::kAddSystem, kDriver,
                                  "DSN=SHOPDB\0Description=old\0Database=OLDDB\0"));
  ASSERT_TRUE(ConfigureDataSource(DataSourceRequest::kAddSystem, kDriver,
                                  "DSN=SHOPDB\0Description=new\0"));
  EXPECT_EQ(StringAt(kSourceKey, "Description"), "new");
  EXPECT_EQ(StringAt(kSourceKey, "Database"), "<no value>");
}

TEST_F(EmulatedOdbcTest, RemovalTakesTheDataSourceAndItsListEntry) {
  ASSERT_TRUE(ConfigureDataSource(DataSourceRequest::kAddSystem, kDriver, "DSN=SHOPDB\0"));
  ASSERT_TRUE(ConfigureDataSource(DataSourceRequest::kRemoveSystem, kDriver, "DSN=shopdb\0"));
  EXPECT_FALSE(KeyExists(kSourceKey));
  EXPECT_EQ(StringAt(kListKey, "SHOPDB"), "<no value>");
  EXPECT_EQ(ConfigureDataSource(DataSourceRequest::kRemoveSystem, kDriver, "DSN=SHOPDB\0").code(),
            kFileNotFound);
}

TEST_F(EmulatedOdbcTest, UnregisteredDriverChangesNothing) {
  EXPECT_EQ(
      ConfigureDataSource(DataSourceRequest::kAddSystem, "No Such Driver", "DSN=SHOPDB\0").code(),
      kInvalidName);
  EXPECT_FALSE(KeyExists(kSourceKey));
  EXPECT_FALSE(KeyExists(kListKey));
}

TEST_F(EmulatedOdbcTest, AttributeListsWithoutAUsableNameAreRefused) {
  for (const char* attributes : {static_cast<const char*>(nullptr), "", "Description=x\0",
                                 "DSN=\0", "DSN=a\\b\0", "DSN=a[1]\0",
                                 "DSN=123456789012345678901234567890123\0"}) {
    EXPECT_EQ(ConfigureDataSource(DataSourceRequest::kAddSystem, kDriver, attributes).code(),
              kInvalidParameter);
  }
  EXPECT_EQ(ConfigureDataSource(static_cast<DataSourceRequest>(1), kDriver, "DSN=SHOPDB\0").code(),
            kInvalidParameter);
  EXPECT_FALSE(KeyExists(kListKey));
}

}  // namespace
}  // namespace orvane::os
