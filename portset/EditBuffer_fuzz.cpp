// Takes arbitrary bytes (three pieces, split at form feeds) as a word, its
// replacement and a file's text. The edit buffer finds the first place where
// the word stands whole (letter case ignored), replaces exactly it and
// nothing else, and saves and loads back the text byte for byte.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/testing/FuzzMachine.h"
#include "portset/EditBuffer.h"

namespace {

namespace fuzz = orvane::fuzz;
using orvane::EditBuffer;

constexpr char kFile[] = "C:\\WWW\\conf\\httpd.cnf";

bool IsWordCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return std::isalnum(byte) || byte == '_' || byte >= 0x80;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The first place where word stands whole in text.
std::size_t FirstWholeWord(const std::string& text, const std::string& word) {
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    bool same = true;
    for (std::size_t i = 0; same && i < word.size(); ++i) same = Lower(text[at + i]) == Lower(word[i]);
    const std::size_t end = at + word.size();
    if (same && (at == 0 || !IsWordCharacter(text[at - 1])) &&
        (end == text.size() || !IsWordCharacter(text[end]))) {
      return at;
    }
  }
  return EditBuffer::kNotFound;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (fuzz::MakeDirectories("C:\\WWW\\conf"), true);
  fuzz::Require(ready);
  const std::vector<std::string> pieces =
      fuzz::Pieces(std::string_view(reinterpret_cast<const char*>(data), size), 3);
  const std::string& word = pieces[0];
  const std::string& replacement = pieces[1];
  const std::string& text = pieces[2];
  // The port switch looks for ports: words of word characters.
  if (word.empty()) return 0;
  for (char c : word) {
    if (!IsWordCharacter(c)) return 0;
  }

  EditBuffer buffer(text);
  const std::size_t found = buffer.FindWholeWord(word);
  fuzz::Require(found == FirstWholeWord(text, word));
  if (found != EditBuffer::kNotFound) {
    buffer.ReplaceSelection(replacement);
    fuzz::Require(buffer.text() ==
                  text.substr(0, found) + replacement + text.substr(found + word.size()));
  }
  fuzz::Require(buffer.Save(kFile).ok());
  fuzz::Require(fuzz::ReadFile(kFile) == buffer.text());
  const orvane::os::Expected<EditBuffer> loaded = EditBuffer::Load(kFile);
  fuzz::Require(loaded.ok() && loaded->text() == buffer.text());
  return 0;
}
