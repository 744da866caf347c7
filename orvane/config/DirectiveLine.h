// The one line writer of the configuration files.
//
// Every line the configuration writers produce goes through WriteLine: a
// string directive "keyword value", a number directive "keyword 12", a bare
// line, a padded table directive. A text that holds a line end would put a
// line of its own into the file (a directive nobody asked for), so such a
// line is refused: nothing of it is written, and a LineWatch of the calling
// thread notes it, so that the writer of the whole file gives the file up
// instead of installing it.
#ifndef ORVANE_CONFIG_DIRECTIVELINE_H_
#define ORVANE_CONFIG_DIRECTIVELINE_H_

#include <cstdio>
#include <string>
#include <unordered_set>

namespace orvane {

// True when text (null counts as empty) holds a CR or an LF.
bool HasLineEnd(const char* text);

// Writes line and a line end, or refuses it when it holds a line end.
void WriteLine(FILE* out, const std::string& line);
// "keyword value": keyword, one space, value (null writes as empty).
void WriteTextLine(FILE* out, const char* keyword, const char* value);
// "keyword number": keyword, one space, the decimal number.
void WriteNumberLine(FILE* out, const char* keyword, int value);

// Counts a refused line, for writers that check their own pieces first.
void RefuseLine();

// Watches the lines written or refused on the calling thread while it lives.
// Watches nest: each sees every line of its own lifetime.
class LineWatch {
 public:
  LineWatch();
  ~LineWatch();
  LineWatch(const LineWatch&) = delete;
  LineWatch& operator=(const LineWatch&) = delete;

  // True when a line was refused.
  bool Refused() const { return m_refused; }
  // True when a written line began with word, followed by a space or
  // nothing (words of written lines end at the first space only).
  bool WroteFirstWord(const std::string& word) const;

 private:
  friend void WriteLine(FILE* out, const std::string& line);
  friend void RefuseLine();
  void Note(const std::string* line);

  LineWatch* m_outer;
  bool m_refused = false;
  std::unordered_set<std::string> m_firstWords;
};

}  // namespace orvane

#endif  // ORVANE_CONFIG_DIRECTIVELINE_H_
