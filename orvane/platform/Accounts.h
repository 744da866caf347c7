// Accounts: the user the process runs as, and whether an account may own an
// instance's database.
#ifndef ORVANE_PLATFORM_ACCOUNTS_H_
#define ORVANE_PLATFORM_ACCOUNTS_H_

#include "orvane/core/KelString.h"
#include "orvane/export.h"

// The name of the user the process runs as. Names longer than 8 characters
// do not fit the product's name buffer: 0 and name unchanged. 1 on success.
ORVANE_API int KelGetUserName(KelString& name);

// 1 when the account exists on the local machine with administrator
// privilege; an account with user or guest privilege counts as absent.
ORVANE_C_API int KelIsUserExist(const char* account);

// Whether the configuration may proceed with the caller's access; no test is
// made, the answer is always 1.
ORVANE_C_API int KelCheckAccess();

#endif  // ORVANE_PLATFORM_ACCOUNTS_H_
