#include "store/CAdoRecordset.h"

#include "store/CAdoConnection.h"
#include "store/DateText.h"
#include "store/MessageReporter.h"
#include "util/UiText.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

namespace {

constexpr const char* kNotOpenText = WENDAR_TR_NOOP("CAdoRecordset", "数据库还未打开，不能打开数据表。");
constexpr const char* kFieldErrorText = WENDAR_TR_NOOP("CAdoRecordset", "字段访问发生错误，请确认数据库结构没有改动。");
constexpr const char* kFieldErrorCaption = WENDAR_TR_NOOP("CAdoRecordset", "字段访问");

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trimmed(std::string_view text)
{
    const char* space = " \t\r\n\v\f";
    size_t a = text.find_first_not_of(space);
    if (a == std::string_view::npos) {
        return {};
    }
    size_t b = text.find_last_not_of(space);
    return text.substr(a, b - a + 1);
}

} // namespace

CAdoRecordset::CAdoRecordset() = default;

CAdoRecordset::CAdoRecordset(CAdoConnection& connection)
    : m_pConnection(&connection), m_bShowErrors(connection.GetShowErrors())
{}

CAdoRecordset::~CAdoRecordset() = default;

bool CAdoRecordset::SetConnection(CAdoConnection& connection)
{
    if (!connection.IsOpen()) {
        if (m_bShowErrors) {
            connection.Report(UiText("CAdoRecordset", kNotOpenText), "", MessageIcon::Information);
        }
        return false;
    }
    m_pConnection = &connection;
    return true;
}

void CAdoRecordset::SetDateFormat(const std::string& format)
{
    m_strDateFormat = format.empty() ? std::string(kDefaultDateFormat) : format;
}

bool CAdoRecordset::Open(const std::string& sql)
{
    Close();
    if (!m_pConnection || !m_pConnection->IsOpen()) {
        Report(UiText("CAdoRecordset", kNotOpenText), "");
        return false;
    }
    std::vector<std::string>& errors = m_openErrors;
    errors.clear();
    if (!m_pConnection->RunQuery(sql, m_result, errors)) {
        m_result = {};
        Report(UiText("CAdoRecordset", kFieldErrorText), UiText("CAdoRecordset", kFieldErrorCaption));
        return false;
    }
    NoteColumns();
    return true;
}

void CAdoRecordset::NoteColumns()
{
    m_bOpen = true;
    m_nPos = 0;
    // A name that stands twice (a join) reads the first column of that name.
    const auto& columns = m_result.columns;
    m_firstOfName.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        m_firstOfName[i] = i;
        for (size_t j = 0; j < i; ++j) {
            if (SameName(columns[j].name, columns[i].name)) {
                m_firstOfName[i] = j;
                break;
            }
        }
    }
}

bool CAdoRecordset::ForEachRow(const std::string& sql, const std::function<void(CAdoRecordset&)>& onRow)
{
    Close();
    if (!m_pConnection || !m_pConnection->IsOpen()) {
        Report(UiText("CAdoRecordset", kNotOpenText), "");
        return false;
    }
    m_openErrors.clear();
    bool first = true;
    const bool done = m_pConnection->RunQueryEach(
        sql, m_result,
        [&] {
            if (first) {
                NoteColumns();
                first = false;
            }
            onRow(*this);
        },
        m_openErrors);
    Close();
    if (!done) {
        Report(UiText("CAdoRecordset", kFieldErrorText), UiText("CAdoRecordset", kFieldErrorCaption));
    }
    return done;
}

void CAdoRecordset::Close()
{
    m_bOpen = false;
    m_result = {};
    m_nLastColumn = 0;
    m_nPos = 0;
}

bool CAdoRecordset::IsEOF() const
{
    return !m_bOpen || m_nPos >= static_cast<long>(m_result.rows.size());
}

bool CAdoRecordset::IsBOF() const
{
    return !m_bOpen || m_nPos < 0 || m_result.rows.empty();
}

long CAdoRecordset::GetRecordCount() const
{
    return m_bOpen ? static_cast<long>(m_result.rows.size()) : -1;
}

void CAdoRecordset::MoveFirst()
{
    m_nPos = 0;
}

void CAdoRecordset::MoveLast()
{
    m_nPos = static_cast<long>(m_result.rows.size()) - 1;
}

void CAdoRecordset::MoveNext()
{
    if (m_nPos < static_cast<long>(m_result.rows.size())) {
        ++m_nPos;
    }
}

void CAdoRecordset::MovePrevious()
{
    if (m_nPos >= 0) {
        --m_nPos;
    }
}

void CAdoRecordset::SetPageSize(long size)
{
    m_nPageSize = size > 0 ? size : 1;
}

long CAdoRecordset::GetPageCount() const
{
    const long count = static_cast<long>(m_result.rows.size());
    return (count + m_nPageSize - 1) / m_nPageSize;
}

void CAdoRecordset::SetAbsolutePage(long page)
{
    if (page < 1) {
        page = 1;
    }
    m_nPos = (page - 1) * m_nPageSize;
    if (m_nPos > static_cast<long>(m_result.rows.size())) {
        m_nPos = static_cast<long>(m_result.rows.size());
    }
}

bool CAdoRecordset::HasColumn(std::string_view column) const
{
    return ColumnIndex(column) >= 0;
}

bool CAdoRecordset::SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    if (a == b) {
        return true;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

long CAdoRecordset::ColumnIndex(std::string_view column) const
{
    // Loaders read a row's fields in about the order the query returns them, so the search starts
    // after the last match.
    const size_t count = m_result.columns.size();
    for (size_t k = 0; k < count; ++k) {
        const size_t i = (m_nLastColumn + k) % count;
        if (SameName(m_result.columns[i].name, column)) {
            m_nLastColumn = (i + 1) % count;
            return static_cast<long>(m_firstOfName[i]);
        }
    }
    return -1;
}

const DbValue* CAdoRecordset::Field(std::string_view column)
{
    if (!m_bOpen || m_nPos < 0 || m_nPos >= static_cast<long>(m_result.rows.size())) {
        return nullptr;
    }
    const long index = ColumnIndex(column);
    return index < 0 ? nullptr : &m_result.rows[static_cast<size_t>(m_nPos)][static_cast<size_t>(index)];
}

void CAdoRecordset::Report(const std::string& text, const std::string& caption) const
{
    if (!m_bShowErrors) {
        return;
    }
    if (m_pConnection) {
        m_pConnection->Report(text, caption, MessageIcon::Information);
    } else {
        StderrMessageReporter().ShowMessage(text, caption, MessageIcon::Information);
    }
}

const DbValue* CAdoRecordset::FieldOrReport(std::string_view column)
{
    const DbValue* v = Field(column);
    if (!v) {
        Report(UiText("CAdoRecordset", kFieldErrorText), UiText("CAdoRecordset", kFieldErrorCaption));
    }
    return v;
}

bool CAdoRecordset::GetFieldValue(std::string_view column, int& value)
{
    const DbValue* v = FieldOrReport(column);
    if (!v) {
        return false;
    }
    switch (v->kind) {
    case DbValue::Kind::Int32:
        value = static_cast<int>(v->integer);
        break;
    case DbValue::Kind::Int64:
        if (v->integer >= std::numeric_limits<int>::min() && v->integer <= std::numeric_limits<int>::max()) {
            value = static_cast<int>(v->integer);
        }
        break;
    case DbValue::Kind::Text: {
        // Some drivers hand numbers over as text; a text that is wholly a number is taken.
        const std::string_view t = Trimmed(v->text);
        int n = 0;
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (ec == std::errc() && end == t.data() + t.size() && !t.empty()) {
            value = n;
        }
        break;
    }
    default:
        break;
    }
    return true;
}

bool CAdoRecordset::GetFieldValue(std::string_view column, std::string& value)
{
    const DbValue* v = FieldOrReport(column);
    if (!v) {
        return false;
    }
    switch (v->kind) {
    case DbValue::Kind::Int32:
    case DbValue::Kind::Int64:
        value = std::to_string(v->integer);
        break;
    case DbValue::Kind::Double: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", v->real);
        value = buffer;
        break;
    }
    case DbValue::Kind::Date:
        value = FormatDate(v->date, m_strDateFormat);
        break;
    case DbValue::Kind::Text:
        value.assign(Trimmed(v->text));
        break;
    default:
        break;
    }
    return true;
}
