#pragma once
// The one path every driver call of this library goes through.
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

namespace stationdb::detail {

// Returns normally for SQL_SUCCESS, SQL_SUCCESS_WITH_INFO and SQL_NO_DATA
// (the caller decides what "no data" means). On SQL_ERROR and
// SQL_INVALID_HANDLE it reads the first diagnostic record of `handle` (before
// anything else touches the handle) and throws DatabaseError with its SQLSTATE
// and message; `what` names the call for a handle that has no record.
// Any other code (SQL_NEED_DATA, SQL_STILL_EXECUTING) is an error as well:
// this layer never asks for either.
SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *what);

// As Check, but a driver's refusal of an optional attribute (SQLSTATE HYC00,
// HY092, HY024, 01S02) is not an error. Returns false when it was refused.
bool CheckOptional(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *what);

}  // namespace stationdb::detail
