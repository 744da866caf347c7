// The event that releases a hanging test service (orvane_test_service.exe):
// the service creates it, the tests set it when they remove the service.
#ifndef ORVANE_TESTING_WIN32_TESTSERVICERELEASE_H_
#define ORVANE_TESTING_WIN32_TESTSERVICERELEASE_H_

#include <string>

namespace orvane::test {

inline std::string ReleaseEventName(const std::string& serviceName) {
  return "Global\\orvane_test_service_release." + serviceName;
}

}  // namespace orvane::test

#endif  // ORVANE_TESTING_WIN32_TESTSERVICERELEASE_H_
