#include "orvane/os/posix/RegistryFile.h"

#include <gtest/gtest.h>

namespace orvane::os::posix {
namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kAnsiHeader = "REGEDIT4\r\n\r\n";

RegistryNode Parse(const std::string& text) {
  RegistryNode tree;
  std::string error;
  EXPECT_TRUE(ParseRegistryText(text, "test.reg", &tree, &error)) << error;
  return tree;
}

// The error message for text that must not parse.
std::string ParseError(const std::string& text) {
  RegistryNode tree;
  std::string error;
  EXPECT_FALSE(ParseRegistryText(text, "bad.reg", &tree, &error)) << text;
  return error;
}

const RegistryValue& ValueAt(const RegistryNode& tree, const std::vector<std::string>& path,
                             const std::string& name) {
  static const RegistryValue kMissing;
  const RegistryNode* key = tree.FindPath(path);
  EXPECT_NE(key, nullptr);
  const RegistryValue* value = key == nullptr ? nullptr : key->FindValue(name);
  EXPECT_NE(value, nullptr) << name;
  return value == nullptr ? kMissing : *value;
}

void ExpectRoundTrip(const RegistryNode& tree) {
  std::string written = WriteRegistryText(tree);
  RegistryNode again = Parse(written);
  EXPECT_TRUE(again == tree) << written;
  EXPECT_EQ(WriteRegistryText(again), written);
}

TEST(RegistryFileTest, ReadsEveryValueForm) {
  RegistryNode tree = Parse(kHeader +
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR]\r\n"
                            "@=\"default\"\r\n"
                            "\"Path\"=\"C:\\\\VXR\\\\\"\r\n"
                            "\"Quote \\\"q\\\"\"=\"a \\\"b\\\" c\"\r\n"
                            "\"Count\"=dword:0000000A\r\n"
                            "\"Blob\"=hex:01,02,ff\r\n"
                            "\"Long\"=hex:00,01,02,\\\r\n"
                            "  03,04\r\n"
                            "\"Expand\"=hex(2):25,00,41,00,00,00\r\n"
                            "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                            "\"Empty\"=hex:\r\n");
  const std::vector<std::string> key = {"HKEY_LOCAL_MACHINE", "SOFTWARE", "VXR"};
  EXPECT_EQ(ValueAt(tree, key, "").AsString(), "default");
  EXPECT_EQ(ValueAt(tree, key, "path").AsString(), "C:\\VXR\\");
  EXPECT_EQ(ValueAt(tree, key, "Quote \"q\"").AsString(), "a \"b\" c");
  EXPECT_EQ(ValueAt(tree, key, "Count").type, ValueType::kDword);
  EXPECT_EQ(ValueAt(tree, key, "Count").AsDword(), 10ul);
  EXPECT_EQ(ValueAt(tree, key, "Blob").data, std::vector<unsigned char>({1, 2, 0xff}));
  EXPECT_EQ(ValueAt(tree, key, "Long").data, std::vector<unsigned char>({0, 1, 2, 3, 4}));
  EXPECT_EQ(ValueAt(tree, key, "Expand").type, ValueType::kExpandString);
  EXPECT_EQ(ValueAt(tree, key, "Expand").data, std::vector<unsigned char>({'%', 'A', 0}));
  EXPECT_EQ(static_cast<unsigned long>(ValueAt(tree, key, "Qword").type), 0xbul);
  EXPECT_EQ(ValueAt(tree, key, "Qword").data.size(), 8u);
  EXPECT_TRUE(ValueAt(tree, key, "Empty").data.empty());
  ExpectRoundTrip(tree);
}

TEST(RegistryFileTest, WritesTheRegistryEditorsFormWithClassesAndWindowsOrder) {
  RegistryNode tree;
  RegistryNode& software = tree.AddSubkey("HKEY_LOCAL_MACHINE", "").AddSubkey("SOFTWARE", "");
  software.AddSubkey("beta", "");
  RegistryNode& alpha = software.AddSubkey("Alpha", "Quivo client/server connection");
  alpha.SetValue("Name", RegistryValue::String("say \"x\" C:\\y"));
  alpha.SetValue("", RegistryValue::Dword(26));
  software.AddSubkey("_under", "");
  RegistryValue expand;
  expand.type = ValueType::kExpandString;
  expand.data = {'%', 'X', '%', 0};
  software.FindSubkey("beta")->SetValue("E", expand);

  EXPECT_EQ(WriteRegistryText(tree),
            "REGEDIT4\r\n\r\n"
            "[HKEY_LOCAL_MACHINE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Alpha]\r\n"
            ";class=\"Quivo client/server connection\"\r\n"
            "\"Name\"=\"say \\\"x\\\" C:\\\\y\"\r\n"
            "@=dword:0000001a\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\beta]\r\n"
            "\"E\"=hex(2):25,58,25,00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\_under]\r\n\r\n");
  ExpectRoundTrip(tree);
}

TEST(RegistryFileTest, StringsThatTheQuotedFormCannotHoldRoundTripAsHex) {
  RegistryNode tree;
  RegistryNode& key = tree.AddSubkey("HKEY_CURRENT_USER", "");
  RegistryValue multiLine = RegistryValue::String("line one\r\nline two");
  RegistryValue unterminated;
  unterminated.type = ValueType::kString;
  unterminated.data = {'a', 'b'};
  RegistryValue multi;
  multi.type = ValueType::kMultiString;
  multi.data = {'a', 0, 0xe9, 0x80, 0x81, 0, 0};
  RegistryValue shortDword;
  shortDword.type = ValueType::kDword;
  shortDword.data = {1, 2};
  RegistryValue longBinary;
  longBinary.type = ValueType::kBinary;
  for (int i = 0; i < 300; ++i) longBinary.data.push_back(static_cast<unsigned char>(i));
  key.SetValue("MultiLine", multiLine);
  key.SetValue("Unterminated", unterminated);
  key.SetValue("Multi", multi);
  key.SetValue("ShortDword", shortDword);
  key.SetValue("LongBinary", longBinary);
  std::string written = WriteRegistryText(tree);
  for (size_t start = 0, end; (end = written.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, 80u) << "hex data is wrapped as the registry editor wraps it";
  }
  ExpectRoundTrip(tree);
}

TEST(RegistryFileTest, EveryValueIsWrittenAsTheAnsiBytesItHolds) {
  // Text with line ends, bytes of the code page's upper half, and every
  // string type: the hex data are the value's own bytes, never UTF-16.
  RegistryNode tree;
  RegistryNode& key = tree.AddSubkey("HKEY_LOCAL_MACHINE", "").AddSubkey("T", "");
  RegistryValue expand;
  expand.type = ValueType::kExpandString;
  expand.data = {'%', 0xe9, '%', 0};
  RegistryValue multi;
  multi.type = ValueType::kMultiString;
  multi.data = {'a', 0, 0x80, 0, 0};
  key.SetValue("CrLf", RegistryValue::String("a\r\nb"));
  key.SetValue("Cr", RegistryValue::String("a\rb"));
  key.SetValue("Accent", RegistryValue::String("caf\xe9"));
  key.SetValue("E", expand);
  key.SetValue("M", multi);
  EXPECT_EQ(WriteRegistryText(tree),
            "REGEDIT4\r\n\r\n"
            "[HKEY_LOCAL_MACHINE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\T]\r\n"
            "\"CrLf\"=hex(1):61,0d,0a,62,00\r\n"
            "\"Cr\"=hex(1):61,0d,62,00\r\n"
            "\"Accent\"=\"caf\xe9\"\r\n"
            "\"E\"=hex(2):25,e9,25,00\r\n"
            "\"M\"=hex(7):61,00,80,00,00\r\n\r\n");
  ExpectRoundTrip(tree);
}

TEST(RegistryFileTest, ReadsTheLineEndEscapesThatEditorsWrite) {
  struct Case {
    const char* quoted;
    const char* value;
  };
  const Case cases[] = {
      {"a\\nb", "a\nb"},       {"a\\r\\nb", "a\r\nb"}, {"\\r", "\r"},
      {"C:\\\\n", "C:\\n"}, {"\\\"\\n\\\"", "\"\n\""},
  };
  for (const char* header : {"REGEDIT4", "Windows Registry Editor Version 5.00"}) {
    for (const Case& c : cases) {
      RegistryNode tree =
          Parse(std::string(header) + "\r\n[X]\r\n\"v\"=\"" + c.quoted + "\"\r\n\"\\n\"=\"n\"\r\n");
      EXPECT_EQ(ValueAt(tree, {"X"}, "v").AsString(), c.value) << c.quoted;
      EXPECT_EQ(ValueAt(tree, {"X"}, "\n").AsString(), "n");
    }
  }
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=\"\\t\"\r\n"),
            "bad.reg:4: a backslash in quoted text must be written \\\\");
}

TEST(RegistryFileTest, ReadsLineFeedsRegedit4AndLaterLinesOverrideEarlierOnes) {
  RegistryNode tree = Parse(
      "REGEDIT4\n"
      "\n"
      "; a comment\n"
      "[HKEY_LOCAL_MACHINE\\A]\n"
      "\"x\"=\"1\"\n"
      "\"Ansi\"=hex(2):41,42,00\n"
      "  [HKEY_LOCAL_MACHINE\\a\\B]  \n"
      "[HKEY_LOCAL_MACHINE\\A]\n"
      "\"X\"=\"2\"\n"
      "\"y\"=\"gone\"\n"
      "\"Y\"=-\n"
      "[HKEY_LOCAL_MACHINE\\C\\D]\n"
      "[-HKEY_LOCAL_MACHINE\\C]\n"
      "\"ignored\"=\"value of a deleted key\"\n"
      "[HKEY_LOCAL_MACHINE\\E]\n"
      "\"v\"=\"1\"\n"
      "\"V\"=\"2\"\n"
      "\"w\"=\"3\"\n"
      "\"v\"=-\n"
      "\"V\"=\"4\"\n");
  const RegistryNode* a = tree.FindPath({"HKEY_LOCAL_MACHINE", "a"});
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->name(), "A");
  ASSERT_EQ(a->values().size(), 2u);
  EXPECT_EQ(a->values()[0].name, "x");
  EXPECT_EQ(a->values()[0].value.AsString(), "2");
  EXPECT_EQ(a->values()[1].value.data, std::vector<unsigned char>({'A', 'B', 0}))
      << "under REGEDIT4 hex strings are 8-bit";
  EXPECT_NE(a->FindSubkey("b"), nullptr);
  EXPECT_EQ(tree.FindPath({"HKEY_LOCAL_MACHINE", "C"}), nullptr);
  // Within one block of a new key too: a later line replaces an earlier one
  // in its place, and a value removed and given again comes last.
  const RegistryNode* e = tree.FindPath({"HKEY_LOCAL_MACHINE", "E"});
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->values().size(), 2u);
  EXPECT_EQ(e->values()[0].name, "w");
  EXPECT_EQ(e->values()[1].name, "V");
  EXPECT_EQ(e->values()[1].value.AsString(), "4");
}

TEST(RegistryFileTest, ReadsTheUtf16FormThatTheRegistryEditorExports) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\xe9]\r\n"
                     "\"Price\"=\"5 \x80\"\r\n";
  std::string utf16 = "\xff\xfe";
  for (unsigned char c : text) {
    if (c == 0xe9) {
      utf16 += std::string("\xe9\x00", 2);
    } else if (c == 0x80) {
      utf16 += "\xac\x20";  // the euro sign
    } else {
      utf16 += std::string(1, static_cast<char>(c)) + std::string(1, '\0');
    }
  }
  RegistryNode tree = Parse(utf16);
  const RegistryValue& price = ValueAt(tree, {"HKEY_LOCAL_MACHINE", "SOFTWARE", "Caf\xe9"}, "Price");
  EXPECT_EQ(price.AsString(), "5 \x80");
}

TEST(RegistryFileTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  // "[X]" then "\"v\"=\"\u263a\"" in UTF-16 LE.
  std::string utf16("\xff\xfe", 2);
  for (char c : std::string("REGEDIT4\r\n[X]\r\n\"v\"=\"")) utf16 += std::string(1, c) + '\0';
  utf16 += std::string("\x3a\x26", 2);
  utf16 += std::string("\"\0\r\0\n\0", 6);
  RegistryNode tree = Parse(utf16);
  EXPECT_EQ(ValueAt(tree, {"X"}, "v").AsString(), "?");
}

TEST(RegistryFileTest, MalformedTextIsReportedWithFileAndLine) {
  EXPECT_EQ(ParseError("Some other file\r\n[X]\r\n"),
            "bad.reg:1: not a registry file: the first line must be "
            "\"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=\"1\"\r\nnonsense\r\n"),
            "bad.reg:5: neither a key, a value nor a comment: nonsense");
  EXPECT_EQ(ParseError(kHeader + "\"a\"=\"1\"\r\n"), "bad.reg:3: value before the first key");
  EXPECT_EQ(ParseError(kHeader + "[X\r\n"), "bad.reg:3: key header without closing \"]\"");
  EXPECT_EQ(ParseError(kHeader + "[X\\\\Y]\r\n"), "bad.reg:3: empty key name in \"X\\\\Y\"");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=\"C:\\dir\"\r\n"),
            "bad.reg:4: a backslash in quoted text must be written \\\\");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=\"open\r\n"), "bad.reg:4: missing closing quote");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=\"1\" x\r\n"),
            "bad.reg:4: unexpected text after the quoted value");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=dword:123456789\r\n"),
            "bad.reg:4: dword: needs one to eight hex digits");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=hex:01,\\\r\n  0g\r\n"),
            "bad.reg:4: hex bytes must be comma-separated pairs of hex digits");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=hex(z):01\r\n"),
            "bad.reg:4: hex(N): needs a type number of one to eight hex digits");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\"=word:1\r\n"), "bad.reg:4: unknown value data: word:1");
  EXPECT_EQ(ParseError(kHeader + "[X]\r\n\"a\" \"1\"\r\n"),
            "bad.reg:4: \"=\" expected after the value name");
  EXPECT_EQ(ParseError(kHeader + ";class=\"early\"\r\n"), "bad.reg:3: key class before the first key");
  std::string deep = kHeader + "[X";
  for (size_t i = 0; i < kMaxRegistryDepth; ++i) deep += "\\k";
  EXPECT_EQ(ParseError(deep + "]\r\n"), "bad.reg:3: keys nested too deeply");
}

TEST(RegistryFileTest, EmptyTextIsAnEmptyRegistry) {
  EXPECT_TRUE(Parse("").subkeys().empty());
  EXPECT_TRUE(Parse("\r\n  \r\n").subkeys().empty());
}

TEST(RegistryFileTest, ABranchIsWrittenUnderItsFullPath) {
  RegistryNode tree = Parse(kHeader +
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\1.0.0]\r\n\"v\"=\"1\"\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\1.0.0\\Paths]\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n");
  std::vector<std::string> path = {"HKEY_LOCAL_MACHINE", "SOFTWARE", "VXR", "1.0.0"};
  std::string branch = WriteRegistryKeyText(*tree.FindPath(path), path);
  EXPECT_EQ(branch, kAnsiHeader +
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\1.0.0]\r\n\"v\"=\"1\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\1.0.0\\Paths]\r\n\r\n");
  RegistryNode reread;
  std::string error;
  std::vector<std::string> firstKey;
  ASSERT_TRUE(ParseRegistryText(branch, "branch.reg", &reread, &error, &firstKey));
  EXPECT_EQ(firstKey, path);
}

TEST(RegistryFileTest, NodesKeepWindowsOrderAndFirstSpelling) {
  RegistryNode node;
  for (const char* name : {"b", "A", "_", "c", "B"}) node.AddSubkey(name, "");
  std::vector<std::string> names;
  for (const RegistryNode& subkey : node.subkeys()) names.push_back(subkey.name());
  EXPECT_EQ(names, std::vector<std::string>({"A", "b", "c", "_"}));
  EXPECT_LT(CompareRegistryNames("abc", "ABCD"), 0);
  EXPECT_EQ(CompareRegistryNames("Tessaly", "tESSALY"), 0);
  EXPECT_TRUE(node.RemoveSubkey("C"));
  EXPECT_FALSE(node.RemoveSubkey("C"));
}

}  // namespace
}  // namespace orvane::os::posix
