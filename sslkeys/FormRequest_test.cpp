#include "sslkeys/FormRequest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "orvane/os/Process.h"

namespace {

std::string Encoded(const char* value) {
  KelString text = value;
  EXPECT_EQ(FormRequest::EncodeFieldValue(text), 1);
  return static_cast<const char*>(text);
}

std::string BodyOf(FormRequest& request) {
  KelString body;
  EXPECT_EQ(request.GetBody(body), 1);
  return static_cast<const char*>(body);
}

TEST(FormRequestTest, EncodesPathsAndFormSeparatorsButKeepsOtherBytes) {
  EXPECT_EQ(Encoded("C:\\a b\\c"), "C%3A%5Ca b%5Cc");
  EXPECT_EQ(Encoded("a&b=c"), "a%26b%3Dc");
  EXPECT_EQ(Encoded("100%+1"), "100%25%2B1");
  EXPECT_EQ(Encoded("a1a 1a1?/#\xE9~"), "a1a 1a1?/#\xE9~");
  EXPECT_EQ(Encoded(""), "");
}

TEST(FormRequestTest, BodyJoinsFieldsInTheOrderAdded) {
  FormRequest request;
  request.AddField("stash", "0");
  request.AddField("stash", "1");
  request.AddField("caemail", "");
  request.AddField("key:file", "C:\\k.kyr");
  // The name is never encoded, the value always.
  EXPECT_EQ(BodyOf(request), "stash=0&stash=1&caemail=&key:file=C%3A%5Ck.kyr");
  EXPECT_EQ(request.BuildBody(), 1);
  EXPECT_EQ(BodyOf(request), "stash=0&stash=1&caemail=&key:file=C%3A%5Ck.kyr");
}

TEST(FormRequestTest, RequestWithoutFieldsHasAnEmptyBody) {
  FormRequest request;
  EXPECT_EQ(request.BuildBody(), 0);
  EXPECT_EQ(BodyOf(request), "");
}

// The environment is process-wide: each test that exports removes what it set.
class FormRequestEnvironmentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name :
         {"CONTENT_LENGTH", "FORMREQUEST_TEST_VARIABLE", "FORMREQUEST_TEST_PATH"}) {
      ClearVariable(name);
    }
  }

  static void ClearVariable(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
  }

  static std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "<unset>";
  }
};

TEST_F(FormRequestEnvironmentTest, ExportsVariablesAndTheBodyLength) {
  FormRequest request;
  request.SetVariable("FORMREQUEST_TEST_PATH", "C:\\WWW\\Bin");
  request.SetVariable("FORMREQUEST_TEST_VARIABLE", "first");
  request.SetVariable("FORMREQUEST_TEST_VARIABLE", "second");
  request.AddField("keyfile", "C:\\WWW\\Bin\\qz.kyr");
  request.AddField("zipcode", "a1a 1a1");
  EXPECT_EQ(request.ExportEnvironment(), 1);

  const std::string body = BodyOf(request);
  EXPECT_EQ(body, "keyfile=C%3A%5CWWW%5CBin%5Cqz.kyr&zipcode=a1a 1a1");
  EXPECT_EQ(Environment("CONTENT_LENGTH"), std::to_string(body.size()));
  // Variables go out unencoded, and the last of one name wins.
  EXPECT_EQ(Environment("FORMREQUEST_TEST_PATH"), "C:\\WWW\\Bin");
  EXPECT_EQ(Environment("FORMREQUEST_TEST_VARIABLE"), "second");
}

TEST_F(FormRequestEnvironmentTest, EmptyRequestExportsLengthZero) {
  orvane::os::SetEnvironmentVariable("CONTENT_LENGTH", "99");
  FormRequest request;
  EXPECT_EQ(request.ExportEnvironment(), 1);
  EXPECT_EQ(Environment("CONTENT_LENGTH"), "0");
}

}  // namespace
