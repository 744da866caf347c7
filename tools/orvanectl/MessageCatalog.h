// Recognises the library's message texts: the callbacks hand the host a
// finished text, and scripts want the message id beside it.
#ifndef ORVANECTL_MESSAGECATALOG_H_
#define ORVANECTL_MESSAGECATALOG_H_

#include <string>
#include <vector>

namespace orvanectl {

class MessageCatalog {
 public:
  // Loads every text of the library's message table once.
  MessageCatalog();

  // The id whose text, with its insertions, gives text; of several that fit,
  // the one with the most fixed characters. 0 when none fits.
  unsigned int IdOf(const std::string& text) const;

 private:
  struct Pattern {
    unsigned int id;
    std::vector<std::string> pieces;  // the fixed text around the insertions
    std::size_t fixedLength;
  };
  static bool Fits(const Pattern& pattern, const std::string& text);

  std::vector<Pattern> m_patterns;
};

}  // namespace orvanectl

#endif  // ORVANECTL_MESSAGECATALOG_H_
