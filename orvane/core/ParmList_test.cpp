#include "orvane/core/ParmList.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Walks the list from the head with its own cursor.
std::vector<std::string> Walk(ParmList<KelString>& list) {
  std::vector<std::string> items;
  KelString item;
  for (int more = list.GetFirst(item); more; more = list.GetNext(item)) items.emplace_back(item);
  return items;
}

Pairs Walk(ParmList<NameValue>& list) {
  Pairs items;
  NameValue item;
  for (int more = list.GetFirst(item); more; more = list.GetNext(item)) {
    items.emplace_back(std::string(item.name), std::string(item.value));
  }
  return items;
}

NameValue Pair(const char* name, const char* value) {
  NameValue pair;
  pair.name = name;
  pair.value = value;
  return pair;
}

void AddUniqueAtTail(ParmList<KelString>& list, const char* text) {
  KelString item(text);
  list.AddTailUnique(item);
}

void AddUniqueAtHead(ParmList<KelString>& list, const char* text) {
  KelString item(text);
  list.AddHeadUnique(item);
}

TEST(ParmListTest, EmptyListDeliversNothing) {
  ParmList<KelString> list;
  KelString out("untouched");
  EXPECT_EQ(list.GetFirst(out), 0);
  EXPECT_EQ(list.GetNext(out), 0);
  EXPECT_STREQ(out, "untouched");
}

TEST(ParmListTest, IterationRunsHeadToTailAndThenStartsOver) {
  ParmList<KelString> list;
  list.AddTail("b");
  AddUniqueAtTail(list, "c");
  AddUniqueAtHead(list, "a");
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"a", "b", "c"}));

  KelString out;
  ASSERT_EQ(list.GetFirst(out), 1);
  while (list.GetNext(out)) {
  }
  ASSERT_EQ(list.GetNext(out), 1);  // after the end, GetNext starts at the head
  EXPECT_STREQ(out, "a");
}

TEST(ParmListTest, AddTailMovesTheCursorToTheNewElement) {
  ParmList<KelString> list;
  list.AddTail("x");
  list.AddTail("y");
  KelString out;
  ASSERT_EQ(list.GetNext(out), 0);  // the cursor sits on the last insertion
  ASSERT_EQ(list.GetNext(out), 1);
  EXPECT_STREQ(out, "x");
}

TEST(ParmListTest, UniqueInsertionFoldsOnlyAsciiLetters) {
  ParmList<KelString> list;
  AddUniqueAtTail(list, "C:\\Macros");
  AddUniqueAtTail(list, "c:\\macros");
  AddUniqueAtHead(list, "C:\\MACROS");
  EXPECT_EQ(Walk(list), std::vector<std::string>{"C:\\Macros"});

  // Everything but a to z must match exactly, with no trimming.
  AddUniqueAtTail(list, "C:\\Macros ");
  AddUniqueAtTail(list, "C:/Macros");
  AddUniqueAtTail(list, "C:\\Macro");
  AddUniqueAtTail(list, "\xe4");
  AddUniqueAtTail(list, "\xc4");
  AddUniqueAtTail(list, "");
  AddUniqueAtTail(list, "");
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"C:\\Macros", "C:\\Macros ", "C:/Macros",
                                                  "C:\\Macro", "\xe4", "\xc4", ""}));
}

TEST(ParmListTest, UniqueInsertionLeavesTheCursorOnTheMatchOrTheNewElement) {
  ParmList<KelString> list;
  list.AddTail("a");
  list.AddTail("b");
  list.AddTail("c");
  KelString out;

  AddUniqueAtTail(list, "B");
  ASSERT_EQ(list.GetNext(out), 1);
  EXPECT_STREQ(out, "c");

  AddUniqueAtHead(list, "new");
  ASSERT_EQ(list.GetNext(out), 1);
  EXPECT_STREQ(out, "a");

  AddUniqueAtTail(list, "last");
  EXPECT_EQ(list.GetNext(out), 0);
}

TEST(ParmListTest, InsertedElementsAreCopies) {
  ParmList<KelString> list;
  KelString item("C:\\x");
  list.AddTailUnique(item);
  item.SetAt(0, 'D');
  list.AddTail(item);
  item = "gone";
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"C:\\x", "D:\\x"}));
}

TEST(ParmListTest, PairWithAKnownNameOverwritesItInPlace) {
  ParmList<NameValue> list;
  list.AddTail(Pair("Exec", "/x/*"));
  NameValue first = Pair("/cgi-bin/*", "A");
  list.AddTailUnique(first);
  list.AddTail(Pair("Pass", "/y/*"));

  NameValue second = Pair("/CGI-BIN/*", "B");
  list.AddTailUnique(second);
  NameValue third = Pair("EXEC", "/z/*");
  list.AddHeadUnique(third);

  EXPECT_EQ(Walk(list), (Pairs{{"EXEC", "/z/*"}, {"/CGI-BIN/*", "B"}, {"Pass", "/y/*"}}));
}

TEST(ParmListTest, PairsAreMatchedByNameOnly) {
  ParmList<NameValue> list;
  NameValue pair = Pair("Alias", "same");
  list.AddTailUnique(pair);
  pair = Pair("Other", "same");
  list.AddHeadUnique(pair);
  pair = Pair("Alias ", "same");
  list.AddTailUnique(pair);
  EXPECT_EQ(Walk(list), (Pairs{{"Other", "same"}, {"Alias", "same"}, {"Alias ", "same"}}));

  pair = Pair("alias", "new");
  list.AddTailUnique(pair);
  NameValue next;
  ASSERT_EQ(list.GetNext(next), 1);  // the cursor was left on the overwritten pair
  EXPECT_STREQ(next.name, "Alias ");
  EXPECT_EQ(Walk(list), (Pairs{{"Other", "same"}, {"alias", "new"}, {"Alias ", "same"}}));
}

TEST(ParmListTest, AssignmentCopiesEverythingWithoutUniqueness) {
  ParmList<KelString> source;
  source.AddTail("a");
  source.AddTail("A");
  source.AddTail("a");
  ParmList<KelString> target;
  target.AddTail("old");

  target = source;
  EXPECT_EQ(Walk(target), (std::vector<std::string>{"a", "A", "a"}));
  EXPECT_EQ(Walk(source), (std::vector<std::string>{"a", "A", "a"}));
}

TEST(ParmListTest, AssignmentLeavesTheCursorOnTheLastCopy) {
  ParmList<NameValue> source;
  source.AddTail(Pair("a", "1"));
  source.AddTail(Pair("b", "2"));
  NameValue out;
  ASSERT_EQ(source.GetFirst(out), 1);

  ParmList<NameValue> target;
  target = source;
  EXPECT_EQ(target.GetNext(out), 0);
  ASSERT_EQ(source.GetNext(out), 1);  // the source's own cursor is untouched
  EXPECT_STREQ(out.name, "b");

  target = ParmList<NameValue>();
  EXPECT_EQ(target.GetNext(out), 0);
  EXPECT_EQ(target.GetFirst(out), 0);
}

TEST(ParmListTest, SelfAssignmentKeepsTheElements) {
  ParmList<KelString> list;
  list.AddTail("a");
  list.AddTail("b");
  const ParmList<KelString>& same = list;
  KelString out;
  ASSERT_EQ(list.GetFirst(out), 1);
  list = same;
  EXPECT_EQ(list.GetNext(out), 0);  // on the last element, as after any assignment
  EXPECT_EQ(Walk(list), (std::vector<std::string>{"a", "b"}));
}

TEST(ParmListTest, CopiesAreDeepAndOutliveTheirOriginals) {
  auto* original = new ParmList<NameValue>;
  original->AddTail(Pair("Name", "v1"));
  original->AddTail(Pair("Other", "v2"));
  ParmList<NameValue> copy(*original);

  NameValue changed = Pair("NAME", "changed");
  original->AddTailUnique(changed);
  EXPECT_EQ(Walk(*original), (Pairs{{"NAME", "changed"}, {"Other", "v2"}}));
  delete original;

  EXPECT_EQ(Walk(copy), (Pairs{{"Name", "v1"}, {"Other", "v2"}}));
  NameValue added = Pair("Third", "v3");
  copy.AddTailUnique(added);
  EXPECT_EQ(Walk(copy), (Pairs{{"Name", "v1"}, {"Other", "v2"}, {"Third", "v3"}}));
}

TEST(ParmListTest, RemoveAllEmptiesTheList) {
  ParmList<KelString> list;
  list.AddTail("a");
  list.AddTail("b");
  list.RemoveAll();
  EXPECT_TRUE(Walk(list).empty());
  AddUniqueAtTail(list, "a");
  EXPECT_EQ(Walk(list), std::vector<std::string>{"a"});
}

}  // namespace
