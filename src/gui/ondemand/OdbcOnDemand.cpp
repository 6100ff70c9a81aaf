// unixODBC's functions as wendar calls them, forwarding to libodbc.so.2 once a remote database is
// first reached (see OnDemandLibrary.h). Without the library an environment handle is still
// handed out, one that holds no connection: everything done with it fails, and its diagnostic
// record names the library and why it could not be loaded, as a driver manager reports a failure.
#include "gui/ondemand/OnDemandLibrary.h"

#include <algorithm>
#include <cstring>
#include <sql.h>
#include <sqlext.h>

namespace {

OnDemandLibrary& Odbc()
{
    static OnDemandLibrary library("libodbc.so.2");
    return library;
}

// The environment handed out without the library; only its diagnostic is ever read.
char g_unloadedEnvironment = 0;

bool IsUnloadedEnvironment(SQLHANDLE handle)
{
    return handle == static_cast<SQLHANDLE>(&g_unloadedEnvironment);
}

} // namespace

SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE parent, SQLHANDLE* handle)
{
    static auto* const real = Odbc().Find<decltype(SQLAllocHandle)>("SQLAllocHandle");
    if (real != nullptr) {
        return real(type, parent, handle);
    }
    if (type == SQL_HANDLE_ENV && handle != nullptr) {
        *handle = static_cast<SQLHANDLE>(&g_unloadedEnvironment);
        return SQL_SUCCESS;
    }
    return SQL_ERROR;
}

SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle)
{
    static auto* const real = Odbc().Find<decltype(SQLFreeHandle)>("SQLFreeHandle");
    if (IsUnloadedEnvironment(handle)) {
        return SQL_SUCCESS;
    }
    return real != nullptr ? real(type, handle) : SQL_INVALID_HANDLE;
}

SQLRETURN SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native,
                        SQLCHAR* message, SQLSMALLINT capacity, SQLSMALLINT* length)
{
    static auto* const real = Odbc().Find<decltype(SQLGetDiagRec)>("SQLGetDiagRec");
    if (!IsUnloadedEnvironment(handle)) {
        return real != nullptr ? real(type, handle, record, state, native, message, capacity, length)
                               : SQL_INVALID_HANDLE;
    }
    if (record != 1) {
        return SQL_NO_DATA;
    }
    // IM003: the driver manager's "specified driver could not be loaded".
    if (state != nullptr) {
        std::memcpy(state, "IM003", 6);
    }
    if (native != nullptr) {
        *native = 0;
    }
    const char* text = Odbc().Error();
    const auto size = static_cast<SQLSMALLINT>(std::strlen(text));
    if (length != nullptr) {
        *length = size;
    }
    if (message != nullptr && capacity > 0) {
        const auto copied = std::min<SQLSMALLINT>(size, static_cast<SQLSMALLINT>(capacity - 1));
        std::memcpy(message, text, static_cast<size_t>(copied));
        message[copied] = '\0';
    }
    return size < capacity ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN SQLSetEnvAttr(SQLHENV environment, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    FORWARD_OR(Odbc(), SQLSetEnvAttr, SQL_ERROR, environment, attribute, value, length);
}

SQLRETURN SQLSetConnectAttr(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    FORWARD_OR(Odbc(), SQLSetConnectAttr, SQL_ERROR, connection, attribute, value, length);
}

SQLRETURN SQLSetStmtAttr(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length)
{
    FORWARD_OR(Odbc(), SQLSetStmtAttr, SQL_ERROR, statement, attribute, value, length);
}

SQLRETURN SQLDriverConnect(SQLHDBC connection, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                           SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT completion)
{
    static auto* const real = Odbc().Find<decltype(SQLDriverConnect)>("SQLDriverConnect");
    return real != nullptr ? real(connection, window, in, inLength, out, outCapacity, outLength, completion)
                           : SQL_ERROR;
}

SQLRETURN SQLDisconnect(SQLHDBC connection)
{
    FORWARD_OR(Odbc(), SQLDisconnect, SQL_ERROR, connection);
}

SQLRETURN SQLGetInfo(SQLHDBC connection, SQLUSMALLINT kind, SQLPOINTER value, SQLSMALLINT capacity, SQLSMALLINT* length)
{
    FORWARD_OR(Odbc(), SQLGetInfo, SQL_ERROR, connection, kind, value, capacity, length);
}

SQLRETURN SQLExecDirect(SQLHSTMT statement, SQLCHAR* text, SQLINTEGER length)
{
    FORWARD_OR(Odbc(), SQLExecDirect, SQL_ERROR, statement, text, length);
}

SQLRETURN SQLNumResultCols(SQLHSTMT statement, SQLSMALLINT* count)
{
    FORWARD_OR(Odbc(), SQLNumResultCols, SQL_ERROR, statement, count);
}

SQLRETURN SQLDescribeCol(SQLHSTMT statement, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT capacity,
                         SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                         SQLSMALLINT* nullable)
{
    static auto* const real = Odbc().Find<decltype(SQLDescribeCol)>("SQLDescribeCol");
    return real != nullptr ? real(statement, column, name, capacity, nameLength, type, size, digits, nullable)
                           : SQL_ERROR;
}

SQLRETURN SQLFetch(SQLHSTMT statement)
{
    FORWARD_OR(Odbc(), SQLFetch, SQL_ERROR, statement);
}

SQLRETURN SQLGetData(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN capacity,
                     SQLLEN* length)
{
    FORWARD_OR(Odbc(), SQLGetData, SQL_ERROR, statement, column, type, value, capacity, length);
}
