// MSList: all instance records of an installation.
//
// An ordered list of owned MSInfo copies, kept in the instance data file
// "tqconfig.dat", with a current record (through which one instance is edited
// at a time) and a default record (the proposal for a new instance).
//
// The checks of a record against the others return conflict flags, combined
// with OR; 0 means no conflict. The caller turns them into messages (ids 68
// to 72, 76, 77 and 87); the list itself shows nothing.
//
// Data file layout: the format version (769), the record count, the records
// (25 lines each, as MSInfo::Store writes them), the version again.
#ifndef ORVANE_CORE_MSLIST_H_
#define ORVANE_CORE_MSLIST_H_

#include <cstdio>

#include "orvane/core/MSInfo.h"
#include "orvane/export.h"

namespace orvane {
struct RefusedRecords;
}

class ORVANE_API MSList {
 public:
  // Conflict flags between a checked record A and another record B.
  static constexpr int kConflictName = 0x01;       // same instance name
  static constexpr int kConflictPort = 0x02;       // same MSPort
  static constexpr int kConflictHost = 0x04;       // same web server host
  static constexpr int kConflictHtmlPath = 0x10;   // same HTML path
  static constexpr int kConflictPortBlock = 0x20;  // the port blocks overlap
  static constexpr int kConflictDatabase = 0x40;   // same name, user and password
  // One of A's ports is 16560 or is listed in the system's services
  // database, or the ports could not be checked at all because the socket
  // layer failed (set by Add and MergeCurrent only).
  static constexpr int kConflictPortTaken = 0x80;

  MSList();
  ~MSList();
  // Copies every record, the default record, the current position and the
  // records refused by the last Load.
  MSList(const MSList& other);
  MSList& operator=(const MSList& other);

  // Destroys every record; no record is current. The default record stays.
  void Empty();

  int GetCount() const;
  // Makes the record at position i (0-based) current; i == GetCount() leaves
  // no record current. 1, or 0 for any other i (nothing changes).
  int SetIndex(int i);
  // Position of the current record, -1 when there is none.
  int GetIndex() const;
  // Copies the current record into out; 0 when there is none.
  int GetCurrent(MSInfo& out) const;

  // The conflict flags (0x01 to 0x40) of rec against the first record, from
  // the head, that it conflicts with; 0 when none.
  int CheckUnique(const MSInfo& rec) const;

  // Appends a copy of rec and makes it current. With check non-zero the copy
  // is appended only when rec conflicts with no record and, when the list is
  // not empty, none of its ports is taken; the conflict flags are returned,
  // 0 when the record was added.
  int Add(MSInfo& rec, int check);
  // Removes the current record; the next one becomes current, or the
  // previous one when the last was removed. 1, or 0 without a current record.
  int Delete();
  // Replaces the current record by a copy of rec when rec conflicts with no
  // other record; returns the first conflict's flags (nothing changes), 0
  // when replaced, -1 without a current record.
  int SetCurrent(const MSInfo& rec);
  // As SetCurrent, but also checks rec's ports (those before the current
  // record's own block), and exchanges only part of the fields: the current
  // record takes rec's core fields, rec takes the current record's preserved
  // values, so that both end up equal. Conflict flags, 0, or -1.
  int MergeCurrent(MSInfo& rec);

  // Replaces the default record by a copy of rec; returns 1.
  int SetDefault(MSInfo& rec);
  // Builds the default record from the installation: names "mser", paths
  // below instPath, the web server's directories (webDir, or the installed
  // web server's record), the local host and two free port blocks searched
  // upward from 16570. 0 when instPath is null, else 1.
  int SetDefault(const char* instPath, const char* webDir);
  // Copies the default record into out; returns 1.
  int GetDefault(MSInfo& out) const;

  // Writes the whole list to path. The file is written beside its target
  // and renamed into place only when complete, so on failure the previous
  // file stays as it was. 1 on success, 0 on failure.
  int Store(const char* path) const;
  // Appends the records of the data file at path, each with the checks of
  // Add; a record that the checks refuse is left out and noted (see
  // GetRefusedCount). A record that cannot be read empties the whole list
  // and gives 0. 1 when the file was read to its closing version line.
  int Load(const char* path);

  // The records that the last Load read but left out, in file order.
  int GetRefusedCount() const;
  // Copies the refused record at index and the conflict flags that refused
  // it; 0 when index is out of range.
  int GetRefused(int index, MSInfo& out, int& flags) const;

 private:
  struct Node;

  // Sets head, tail and current to null without freeing anything.
  void Init();
  // The flags 0x01 to 0x40 of a against b.
  int CheckDup(const MSInfo& a, const MSInfo& b) const;
  void Append(const MSInfo& rec);
  // The file body of Store and Load, between opening and closing the file.
  int StoreTo(FILE* file) const;
  int LoadFrom(FILE* file);
  Node* NodeAt(int i) const;
  void CopyFrom(const MSList& other);
  // The port search of SetDefault: the first candidate from start on whose
  // ten ports are free and clear of every record's block (firstPort of the
  // record, widened by its process count and nine more); 65535 or more when
  // there is none.
  long long FindFreePortBlock(long long start, int (MSInfo::*firstPort)() const) const;

  Node* m_head;
  Node* m_tail;
  Node* m_current;
  MSInfo m_default;
  // Kept with the nodes, so that counting and walking the list in order
  // take no walk from the head.
  int m_count;
  int m_currentIndex;  // position of m_current, -1 when there is none
  // The records the last Load left out; never null. Kept inside the library.
  orvane::RefusedRecords* m_refused;
};

#endif  // ORVANE_CORE_MSLIST_H_
