#include "orvane/core/ParmList.h"

#include "orvane/core/AsciiCase.h"

namespace {

bool Matches(const KelString& a, const KelString& b) { return orvane::EqualsIgnoringCase(a, b); }
bool Matches(const NameValue& a, const NameValue& b) { return orvane::EqualsIgnoringCase(a.name, b.name); }

// A matching path is kept as it is; a matching pair takes the new spelling
// and value.
void Overwrite(KelString&, const KelString&) {}
void Overwrite(NameValue& stored, const NameValue& item) { stored = item; }

}  // namespace

template <class T>
typename ParmList<T>::Node* ParmList<T>::FindMatch(const T& item) {
  T element;
  for (int more = GetFirst(element); more; more = GetNext(element)) {
    if (Matches(element, item)) return m_cursor;
  }
  return nullptr;
}

template <class T>
void ParmList<T>::InsertUnique(T& item, bool atHead) {
  if (Node* match = FindMatch(item)) {
    Overwrite(*match->item, item);
    return;
  }
  Link(new Node{nullptr, nullptr, new T(item)}, atHead);
}

template <>
void ParmList<KelString>::AddHeadUnique(KelString& item) { InsertUnique(item, true); }
template <>
void ParmList<KelString>::AddTailUnique(KelString& item) { InsertUnique(item, false); }
template <>
void ParmList<NameValue>::AddHeadUnique(NameValue& item) { InsertUnique(item, true); }
template <>
void ParmList<NameValue>::AddTailUnique(NameValue& item) { InsertUnique(item, false); }

template <>
const ParmList<KelString>& ParmList<KelString>::operator=(const ParmList<KelString>& other) {
  CopyFrom(other);
  return *this;
}
template <>
const ParmList<NameValue>& ParmList<NameValue>::operator=(const ParmList<NameValue>& other) {
  CopyFrom(other);
  return *this;
}
