// KelString: the library's own string value type.
//
// A string is either empty, pointing at one shared read-only empty text and
// owning nothing, or owns exactly one heap buffer of length + 1 bytes. There is
// no spare capacity and no sharing: every copy is deep, every lengthening
// allocates the exact new size. Characters are single ANSI bytes.
//
// operator^ joins two paths with one backslash, placed unconditionally.
// Store/Load keep one value per line of a text file; a value survives the
// round trip when it holds no line end and at most 511 characters.
#ifndef ORVANE_CORE_KELSTRING_H_
#define ORVANE_CORE_KELSTRING_H_

#include <cstdio>

#include "orvane/export.h"

class ORVANE_API KelString {
 public:
  KelString();
  KelString(const KelString& other);
  KelString(const char* text);  // NOLINT: implicit by design, like the product's
  ~KelString();

  const KelString& operator=(const KelString& other);
  const KelString& operator=(const char* text);
  void Empty();

  int GetLength() const { return m_length; }
  operator const char*() const { return m_text; }
  // For in-place changes of at most GetLength() existing characters.
  char* GetBuffer() { return m_text; }
  int IsEmpty() const { return m_length == 0; }
  char GetAt(int index) const;
  void SetAt(int index, char ch);

  const KelString& operator+=(const KelString& other);
  const KelString& operator+=(const char* text);

  // Cuts to the first n characters in place when n < length; 1 when cut.
  int Truncate(int n);
  // Upper-cases ASCII a-z up to the first NUL.
  void ToUpper();
  // Position of the first exact occurrence of s, or -1; "" is found at 0.
  int Find(const char* s);
  // As Find, ignoring ASCII letter case.
  int FindPath(const char* s);

  // Writes the text up to its first NUL and a line end; 0 when a character
  // could not be written.
  int Store(FILE* f) const;
  // Reads one line (CR LF or LF) of at most 512 characters; 1 only when the
  // line ended with a line end. The value read so far is kept either way and
  // ends at the first NUL read. A byte 255 is an ordinary character: only the
  // real end of file ends a text without a line end.
  int Load(FILE* f);

  friend ORVANE_API KelString operator+(const KelString& left, const KelString& right);
  friend ORVANE_API KelString operator+(const KelString& left, const char* right);
  friend ORVANE_API KelString operator+(const char* left, const KelString& right);
  friend ORVANE_API KelString operator^(const KelString& left, const KelString& right);
  friend ORVANE_API KelString operator^(const KelString& left, const char* right);
  friend ORVANE_API KelString operator^(const char* left, const KelString& right);

 protected:
  // Sets the empty state without freeing anything (constructors only).
  void Init();
  // Empties the string, then copies the first len characters of src. src may
  // lie inside this string's own buffer.
  void CopyStr(const char* src, int len);
  // Appends the first len characters of src. src may lie inside the buffer.
  void Expand(const char* src, int len);
  // Makes this string left + sep + right; sep 0 means no separator.
  void ExpandCopy(const char* left, int leftLen, const char* right, int rightLen,
                  char sep);

 private:
  char* m_text;
  int m_length;
};

ORVANE_API KelString operator+(const KelString& left, const KelString& right);
ORVANE_API KelString operator+(const KelString& left, const char* right);
ORVANE_API KelString operator+(const char* left, const KelString& right);
ORVANE_API KelString operator^(const KelString& left, const KelString& right);
ORVANE_API KelString operator^(const KelString& left, const char* right);
ORVANE_API KelString operator^(const char* left, const KelString& right);

#endif  // ORVANE_CORE_KELSTRING_H_
