#pragma once
// A query result read into memory at Open. Field reads go by column name (case-insensitive, the
// first column of that name wins) and convert values the way the stored records expect.
#include "store/DbValue.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CAdoConnection;

inline constexpr const char* kDefaultDateFormat = "%Y/%m/%d-%H:%M";

class CAdoRecordset final
{
public:
    CAdoRecordset();
    explicit CAdoRecordset(CAdoConnection& connection);
    ~CAdoRecordset();
    CAdoRecordset(const CAdoRecordset&) = delete;
    CAdoRecordset& operator=(const CAdoRecordset&) = delete;

    bool SetConnection(CAdoConnection& connection);
    void SetShowErrors(bool show) { m_bShowErrors = show; }
    void SetDateFormat(const std::string& format = kDefaultDateFormat);

    // Every recordset is a static, read-only snapshot of the whole result, so there is no cursor
    // or lock type to choose.
    bool Open(const std::string& sql);
    // The rows one at a time, without a snapshot of them all: for each, the recordset stands on it
    // and onRow reads its fields (and must not use the connection). Closed afterwards; false as Open.
    bool ForEachRow(const std::string& sql, const std::function<void(CAdoRecordset&)>& onRow);
    // The database's own words for the last Open that failed.
    const std::vector<std::string>& OpenErrors() const { return m_openErrors; }
    void Close();
    bool IsOpen() const { return m_bOpen; }

    bool IsEOF() const;
    bool IsBOF() const;
    long GetRecordCount() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    // Paging over the snapshot, 1-based as the list uses it.
    void SetPageSize(long size);
    long GetPageSize() const { return m_nPageSize; }
    long GetPageCount() const;
    void SetAbsolutePage(long page);

    bool GetFieldValue(std::string_view column, int& value);
    bool GetFieldValue(std::string_view column, std::string& value);
    bool HasColumn(std::string_view column) const;

private:
    // After the columns of m_result were read: the first column of each name, and the state of open.
    void NoteColumns();
    static bool SameName(std::string_view a, std::string_view b);
    long ColumnIndex(std::string_view column) const;
    const DbValue* Field(std::string_view column);
    // The field of the current row, or null after reporting a missing column or row.
    const DbValue* FieldOrReport(std::string_view column);
    // Through the connection's reporter while show-errors is on.
    void Report(const std::string& text, const std::string& caption) const;

    CAdoConnection* m_pConnection = nullptr;
    bool m_bShowErrors = true;
    std::string m_strDateFormat = kDefaultDateFormat;
    DbResult m_result;
    std::vector<std::string> m_openErrors;
    std::vector<size_t> m_firstOfName; // per column: the first column of the same name
    mutable size_t m_nLastColumn = 0;  // one past the last column found
    long m_nPos = 0;                   // -1 = before the first row (BOF), size = after the last (EOF)
    long m_nPageSize = 10;
    bool m_bOpen = false;
};
