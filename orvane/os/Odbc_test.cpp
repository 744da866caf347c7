// The ODBC installer's refusals, as every backend gives them.
#include "orvane/os/Odbc.h"

#include <gtest/gtest.h>

#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

constexpr char kAttributes[] = "DSN=ORVANETESTDSN\0Description=Orvane seam test\0";

class OdbcTest : public orvane::test::MachineTest {};

TEST_F(OdbcTest, AddingForAnUnregisteredDriverFails) {
  Status added =
      ConfigureDataSource(DataSourceRequest::kAddSystem, "Orvane No Such Driver", kAttributes);
  EXPECT_FALSE(added);
  EXPECT_EQ(LastError(), added.code());
}

TEST_F(OdbcTest, RemovingAMissingDataSourceFails) {
  EXPECT_FALSE(
      ConfigureDataSource(DataSourceRequest::kRemoveSystem, "Orvane No Such Driver", kAttributes));
}

}  // namespace
}  // namespace orvane::os
