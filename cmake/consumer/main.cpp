// Uses the installed library as a host would: validates a record, and
// formats a message of the library's table.
#include <orvane/orvane.h>

#include <cstdio>

int main() {
  MSInfo record;
  const bool valid = record.SetName("shop") && !record.SetMSPort(16560) && record.SetMSPort(20000);
  KelString text;
  if (!valid || !KelLoadMessage(text, 54, record.GetName())) {
    std::printf("unexpected results from the installed library\n");
    return 1;
  }
  std::printf("%s\n", static_cast<const char*>(text));
  return 0;
}
