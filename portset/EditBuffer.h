// EditBuffer: a file's text held in memory for one find-and-replace edit.
//
// The text is kept exactly as its bytes were loaded: line ends, control
// characters and bytes above 127 pass through untouched, so a file saved back
// differs from the loaded one only where the selection was replaced.
// Positions are byte offsets of any size.
#ifndef PORTSET_EDITBUFFER_H_
#define PORTSET_EDITBUFFER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "orvane/os/Status.h"

namespace orvane {

class EditBuffer {
 public:
  // What FindWholeWord returns when there is no match.
  static constexpr std::size_t kNotFound = std::string::npos;

  explicit EditBuffer(std::string text = std::string());

  // Loads a file (a Windows path) as plain bytes. Fails with the seam's
  // error when the file cannot be opened or read to its end.
  static os::Expected<EditBuffer> Load(const std::string& path);

  // Searches from the start for the first occurrence of word that stands as
  // a whole word, ignoring ASCII letter case. A match becomes the selection;
  // returns its position, or kNotFound with the selection left empty.
  std::size_t FindWholeWord(std::string_view word);

  // Replaces the selection with text, which then becomes the selection.
  void ReplaceSelection(std::string_view text);

  // Writes the text to a file as plain bytes. The file is replaced only once
  // the whole text is on disk, so a failed save leaves it as it was; it keeps
  // its mode, and a file that is a symbolic link is saved where it leads.
  os::Status Save(const std::string& path) const;

  const std::string& text() const { return m_text; }

 private:
  // True when position lies between a word character and a character that
  // is not one (or the start or end of the text).
  bool IsWordBoundary(std::size_t position) const;
  // True when word occurs at position, ignoring ASCII letter case.
  bool MatchesAt(std::size_t position, std::string_view word) const;

  std::string m_text;
  std::size_t m_selectionStart = 0;
  std::size_t m_selectionLength = 0;
};

}  // namespace orvane

#endif  // PORTSET_EDITBUFFER_H_
