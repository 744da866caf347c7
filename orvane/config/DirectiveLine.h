// The one line writer of the configuration files.
//
// Every line the configuration writers produce goes through WriteLine: a
// string directive "keyword value", a number directive "keyword 12", a bare
// line, a padded table directive. A text that holds a line end would put a
// line of its own into the file (a directive nobody asked for), so such a
// line is refused: nothing of it is written, and the refusal is counted for
// the calling thread, where the writer of the whole file finds it and gives
// up the file instead of installing it.
#ifndef ORVANE_CONFIG_DIRECTIVELINE_H_
#define ORVANE_CONFIG_DIRECTIVELINE_H_

#include <cstdio>
#include <string>

namespace orvane {

// True when text (null counts as empty) holds a CR or an LF.
bool HasLineEnd(const char* text);

// Writes line and a line end, or refuses it when it holds a line end.
void WriteLine(FILE* out, const std::string& line);
// "keyword value": keyword, one space, value (null writes as empty).
void WriteTextLine(FILE* out, const char* keyword, const char* value);
// "keyword number": keyword, one space, the decimal number.
void WriteNumberLine(FILE* out, const char* keyword, int value);

// Counts a refused line for the calling thread, for writers that check their
// own pieces before writing.
void RefuseLine();

// Watches the lines refused on the calling thread while it lives.
class RefusedLineWatch {
 public:
  RefusedLineWatch();
  // True when a line was refused since construction.
  bool Refused() const;

 private:
  unsigned long m_start;
};

}  // namespace orvane

#endif  // ORVANE_CONFIG_DIRECTIVELINE_H_
