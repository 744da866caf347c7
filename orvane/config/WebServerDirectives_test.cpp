#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "orvane/core/MSInfo.h"
#include "orvane/os/Files.h"
#include "orvane/testing/TempMachine.h"

namespace {

class WebServerDirectivesTest : public orvane::test::MachineTest {};

TEST_F(WebServerDirectivesTest, EachListWithItsKeywordAndSuffix) {
  MSInfo info;
  info.SetISHost("shophost");
  info.SetISPass("/p/*", "C:\\p\\*");
  info.SetISMap("/m/*", "/n/*");
  info.SetISExec("/e/*", "C:\\e\\*");
  info.SetISCommonPass("/cp/*", "C:\\cp\\*");
  info.SetISCommonMap("/cm/*", "/cn/*");
  info.SetISCommonExec("/ce/*", "C:\\ce\\*");
  info.SetISCommonAddType(".js", "application/x-javascript");
  FILE* out = orvane::os::OpenFile("C:\\directives.txt", "w");
  ASSERT_NE(out, nullptr);
  for (auto write :
       {&MSInfo::WriteISPass, &MSInfo::WriteISMap, &MSInfo::WriteISExec, &MSInfo::WriteISCommonPass,
        &MSInfo::WriteISCommonMap, &MSInfo::WriteISCommonExec, &MSInfo::WriteISCommonAddType}) {
    (info.*write)(out);
  }
  ASSERT_EQ(std::fclose(out), 0);
  EXPECT_EQ(machine.ReadFile("C:\\directives.txt"),
            "Pass    /p/*            C:\\p\\* shophost\r\n"
            "Map     /m/*            /n/* shophost\r\n"
            "Exec    /e/*            C:\\e\\* shophost\r\n"
            "Pass    /cp/*           C:\\cp\\*\r\n"
            "Map     /cm/*           /cn/*\r\n"
            "Exec    /ce/*           C:\\ce\\*\r\n"
            "AddType .js             application/x-javascript\r\n");
}

}  // namespace
