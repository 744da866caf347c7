#include "orvane/core/KelString.h"

#include <cstring>

namespace {

// The one empty text that every empty string points at; never written.
char g_emptyText[1] = {'\0'};

constexpr int kLoadBufferChars = 512;

bool IsNoText(const char* src, int len) {
  return len <= 0 || src == nullptr || src == g_emptyText;
}

int TextLength(const char* text) {
  return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

KelString::KelString() { Init(); }

KelString::KelString(const KelString& other) {
  Init();
  CopyStr(other.m_text, other.m_length);
}

KelString::KelString(const char* text) {
  Init();
  CopyStr(text, TextLength(text));
}

KelString::~KelString() { Empty(); }

void KelString::Init() {
  m_text = g_emptyText;
  m_length = 0;
}

void KelString::Empty() {
  if (m_text != g_emptyText) delete[] m_text;
  Init();
}

const KelString& KelString::operator=(const KelString& other) {
  if (this != &other) CopyStr(other.m_text, other.m_length);
  return *this;
}

const KelString& KelString::operator=(const char* text) {
  CopyStr(text, TextLength(text));
  return *this;
}

char KelString::GetAt(int index) const {
  return (index >= 0 && index < m_length) ? m_text[index] : '\0';
}

void KelString::SetAt(int index, char ch) {
  if (index >= 0 && index < m_length) m_text[index] = ch;
}

void KelString::CopyStr(const char* src, int len) {
  if (IsNoText(src, len)) {
    Empty();
    return;
  }
  // The copy is taken before the old buffer goes, so src may lie inside it.
  char* buffer = new char[len + 1];
  std::memcpy(buffer, src, len);
  buffer[len] = '\0';
  Empty();
  m_text = buffer;
  m_length = len;
}

void KelString::Expand(const char* src, int len) {
  if (IsNoText(src, len)) return;
  ExpandCopy(m_text, m_length, src, len, '\0');
}

void KelString::ExpandCopy(const char* left, int leftLen, const char* right, int rightLen,
                           char sep) {
  if (sep == '\0' && IsNoText(left, leftLen)) {
    CopyStr(right, rightLen);
    return;
  }
  if (sep == '\0' && IsNoText(right, rightLen)) {
    CopyStr(left, leftLen);
    return;
  }
  if (IsNoText(left, leftLen)) leftLen = 0;
  if (IsNoText(right, rightLen)) rightLen = 0;
  const int length = leftLen + rightLen + (sep != '\0' ? 1 : 0);
  char* buffer = new char[length + 1];
  char* end = buffer;
  if (leftLen > 0) end = static_cast<char*>(std::memcpy(end, left, leftLen)) + leftLen;
  if (sep != '\0') *end++ = sep;
  if (rightLen > 0) end = static_cast<char*>(std::memcpy(end, right, rightLen)) + rightLen;
  *end = '\0';
  Empty();
  m_text = buffer;
  m_length = length;
}

const KelString& KelString::operator+=(const KelString& other) {
  Expand(other.m_text, other.m_length);
  return *this;
}

const KelString& KelString::operator+=(const char* text) {
  Expand(text, TextLength(text));
  return *this;
}

int KelString::Truncate(int n) {
  if (n < 0 || n >= m_length) return 0;
  m_text[n] = '\0';
  m_length = n;
  return 1;
}

void KelString::ToUpper() {
  if (m_text == g_emptyText) return;
  for (char* p = m_text; *p != '\0'; ++p) *p = UpperAscii(*p);
}

int KelString::Find(const char* s) {
  if (s == nullptr) return -1;
  const char* hit = std::strstr(m_text, s);
  return hit == nullptr ? -1 : static_cast<int>(hit - m_text);
}

int KelString::FindPath(const char* s) {
  if (s == nullptr) return -1;
  KelString haystack(*this);
  KelString needle(s);
  haystack.ToUpper();
  needle.ToUpper();
  return haystack.Find(needle);
}

int KelString::Store(FILE* f) const {
  for (const char* p = m_text; *p != '\0'; ++p) {
    if (std::fputc(static_cast<unsigned char>(*p), f) == EOF) return 0;
  }
  std::fputc('\n', f);
  return 1;
}

int KelString::Load(FILE* f) {
  Empty();
  char buffer[kLoadBufferChars + 1];
  int count = 0;
  int ended = 0;
  while (count < kLoadBufferChars) {
    const int c = std::fgetc(f);
    if (c == EOF) break;
    if (c == '\n') {
      ended = 1;
      break;
    }
    if (c == '\r') {
      const int next = std::fgetc(f);
      if (next == '\n') {
        ended = 1;
        break;
      }
      if (next != EOF) std::ungetc(next, f);
    }
    buffer[count++] = static_cast<char>(c);
  }
  buffer[count] = '\0';
  *this = buffer;  // the value ends at the first NUL read
  return ended;
}

KelString operator+(const KelString& left, const KelString& right) {
  KelString result;
  result.ExpandCopy(left.m_text, left.m_length, right.m_text, right.m_length, '\0');
  return result;
}

KelString operator+(const KelString& left, const char* right) {
  KelString result;
  result.ExpandCopy(left.m_text, left.m_length, right, TextLength(right), '\0');
  return result;
}

KelString operator+(const char* left, const KelString& right) {
  KelString result;
  result.ExpandCopy(left, TextLength(left), right.m_text, right.m_length, '\0');
  return result;
}

KelString operator^(const KelString& left, const KelString& right) {
  KelString result;
  result.ExpandCopy(left.m_text, left.m_length, right.m_text, right.m_length, '\\');
  return result;
}

KelString operator^(const KelString& left, const char* right) {
  KelString result;
  result.ExpandCopy(left.m_text, left.m_length, right, TextLength(right), '\\');
  return result;
}

KelString operator^(const char* left, const KelString& right) {
  KelString result;
  result.ExpandCopy(left, TextLength(left), right.m_text, right.m_length, '\\');
  return result;
}
