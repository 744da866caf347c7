#include "MessageCatalog.h"

#include <gtest/gtest.h>
#include <orvane/orvane.h>

#include <string>

namespace orvanectl {
namespace {

std::string Text(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr) {
  KelString text;
  KelLoadMessage(text, id, arg1, arg2);
  return static_cast<const char*>(text);
}

TEST(MessageCatalogTest, FindsTheIdBehindAFinishedText) {
  const MessageCatalog catalog;
  struct Case {
    std::string text;
    unsigned int id;
  };
  const Case cases[] = {
      {Text(54, "shop1"), 54},
      {Text(19, "shop1"), 19},
      {Text(36, "SHOP", "dbhost"), 36},            // two insertions
      {Text(94, "mall"), 94},                       // one insertion twice
      {Text(20, "C:\\logs %1 50%"), 20},            // an insertion that looks like one
      {Text(54, ""), 54},                           // an empty insertion
      {Text(68), 68},                               // no insertion
      {Text(42, "Tessaly servers"), 42},
      {"Tessaly instance shop1 has been created", 0},  // a text cut short
      {"something else entirely", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(catalog.IdOf(c.text), c.id) << c.text;
}

TEST(MessageCatalogTest, PrefersTheTextWithTheMostFixedCharacters) {
  const MessageCatalog catalog;
  // "Cannot create file %1." also fits a text of message 3 with a longer
  // insertion; the longer fixed text wins.
  EXPECT_EQ(catalog.IdOf(Text(3, "C:\\x\\tessaly.ini")), 3u);
  EXPECT_EQ(catalog.IdOf(Text(26, "C:\\x\\tessaly.ini")), 26u);
}

}  // namespace
}  // namespace orvanectl
