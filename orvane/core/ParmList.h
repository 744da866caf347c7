// ParmList<T>: the library's ordered, owning list of parameters.
//
// A doubly linked list of separately allocated copies, instantiated for
// KelString (lists of paths) and NameValue (directive name/value pairs).
// Iteration runs through a cursor kept inside the list: GetFirst, then GetNext
// until it returns 0. Unique insertion and searching move that cursor, so a
// caller must not insert into a list while iterating it.
//
// Unique insertion compares without regard to ASCII letter case; for
// NameValue only the names are compared, and a pair whose name exists
// overwrites that element's name and value in place.
#ifndef ORVANE_CORE_PARMLIST_H_
#define ORVANE_CORE_PARMLIST_H_

#include "orvane/core/KelString.h"
#include "orvane/export.h"

// A directive name and its value, in this order.
struct NameValue {
  KelString name;
  KelString value;
};

template <class T>
class ParmList {
 public:
  ParmList() = default;
  // A copy is a default-constructed list followed by assignment.
  ParmList(const ParmList& other) { *this = other; }
  ~ParmList() { RemoveAll(); }

  void AddHeadUnique(T& item);
  void AddTailUnique(T& item);
  // Replaces the contents with copies of other's elements in order, with no
  // uniqueness test; the cursor ends on the last copy. Assigning a list to
  // itself keeps its elements.
  const ParmList& operator=(const ParmList& other);

  // Appends a copy without a uniqueness test; the cursor moves to it.
  void AddTail(const T& item) { Link(new Node{nullptr, nullptr, new T(item)}, false); }

  void RemoveAll() {
    for (Node* node = m_head; node != nullptr;) {
      Node* next = node->next;
      delete node->item;
      delete node;
      node = next;
    }
    m_head = m_tail = m_cursor = nullptr;
  }

  // Copies the first element into out; 0 (out unchanged) for an empty list.
  int GetFirst(T& out) {
    m_cursor = m_head;
    if (m_cursor == nullptr) return 0;
    out = *m_cursor->item;
    return 1;
  }

  // Copies the next element into out; 0 at the end, after which the cursor
  // is reset and the next call starts again at the head.
  int GetNext(T& out) {
    if (m_cursor == nullptr) return GetFirst(out);
    m_cursor = m_cursor->next;
    if (m_cursor == nullptr) return 0;
    out = *m_cursor->item;
    return 1;
  }

 private:
  struct Node {
    Node* prev;
    Node* next;
    T* item;
  };

  // Walks the list with the cursor; on the first element that matches item,
  // leaves the cursor there and returns it.
  Node* FindMatch(const T& item);
  void InsertUnique(T& item, bool atHead);
  // Walks other's nodes directly, so other's cursor stays where it was.
  void CopyFrom(const ParmList& other) {
    if (&other == this) {
      m_cursor = m_tail;
      return;
    }
    RemoveAll();
    for (const Node* node = other.m_head; node != nullptr; node = node->next) AddTail(*node->item);
  }
  void Link(Node* node, bool atHead) {
    if (m_head == nullptr) {
      m_head = m_tail = node;
    } else if (atHead) {
      node->next = m_head;
      m_head->prev = node;
      m_head = node;
    } else {
      node->prev = m_tail;
      m_tail->next = node;
      m_tail = node;
    }
    m_cursor = node;
  }

  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  Node* m_cursor = nullptr;
};

template <>
ORVANE_API void ParmList<KelString>::AddHeadUnique(KelString& item);
template <>
ORVANE_API void ParmList<KelString>::AddTailUnique(KelString& item);
template <>
ORVANE_API const ParmList<KelString>& ParmList<KelString>::operator=(
    const ParmList<KelString>& other);
template <>
ORVANE_API void ParmList<NameValue>::AddHeadUnique(NameValue& item);
template <>
ORVANE_API void ParmList<NameValue>::AddTailUnique(NameValue& item);
template <>
ORVANE_API const ParmList<NameValue>& ParmList<NameValue>::operator=(
    const ParmList<NameValue>& other);

#endif  // ORVANE_CORE_PARMLIST_H_
