// The ODBC installer, with the registry in a sandbox so that no data source
// of the machine is touched.
#include <gtest/gtest.h>

#include "orvane/os/Odbc.h"
#include "orvane/testing/win32/RegistrySandbox.h"

namespace orvane::os {
namespace {

TEST(Win32OdbcTest, AddingADataSourceOfAnUnregisteredDriverFails) {
  testing::RegistrySandbox sandbox;
  static const char kAttributes[] = "DSN=MALL\0DESCRIPTION=Tessaly mall\0\0";
  Status added = ConfigureDataSource(DataSourceRequest::kAddSystem, "VELQ", kAttributes);
  EXPECT_EQ(added.code(), kFileNotFound);
  EXPECT_EQ(LastError(), kFileNotFound);
}

}  // namespace
}  // namespace orvane::os
