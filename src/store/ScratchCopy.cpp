#include "store/ScratchCopy.h"

#include "store/CAdoConnection.h"
#include "store/SqlText.h"
#include "util/UiText.h"

#include <cstdlib>

namespace {

constexpr const char* kAttachSql = "attach database ";
constexpr const char* kAttachAsSql = " as source";
constexpr const char* kDetachSql = "detach database source";
// The same layout on both sides: the scratch file is made by the same schema.
constexpr const char* kCopySqls[] = {
    "insert into usermessagetype select * from source.usermessagetype where messagetypeid=?1",
    "insert into userHttpExclude select * from source.userHttpExclude where messagetypeid=?1",
    "insert into userdata select * from source.userdata where MessageTypeID=?1",
    "insert into userdata_deleted select * from source.userdata_deleted where MessageTypeID=?1",
};
constexpr const char* kCountAfterSql = "select count(*) from userdata where ID>?1";
constexpr const char* kSubjectsAfterSql = "select SourceInfo from userdata where ID>?1 order by ID limit ?2";
constexpr const char* kNewestSql = "select ifnull(max(ID),0) from userdata";

bool Failed(const CAdoCommand& command, std::string& error)
{
    error = command.Errors().empty() ? UiText("ScratchCopy", "数据库拒绝了操作") : command.Errors().front();
    return false;
}

long long Number(const DbValue& value)
{
    return value.kind == DbValue::Kind::Text ? std::atoll(value.text.c_str()) : value.integer;
}

} // namespace

bool CopyItemRecords(CAdoConnection& scratch, const std::string& sourcePath, int messagetypeid, std::string& error)
{
    if (!scratch.Execute(kAttachSql + SqlQuoted(sourcePath) + kAttachAsSql, error)) {
        return false;
    }
    bool copied = true;
    for (const char* sql : kCopySqls) {
        CAdoCommand copy(scratch, sql);
        if (!copy.Bind(1, static_cast<long long>(messagetypeid)).Run()) {
            copied = Failed(copy, error);
            break;
        }
    }
    std::string ignored;
    scratch.Execute(kDetachSql, ignored);
    return copied;
}

std::optional<ScratchFindings> ReadScratchFindings(CAdoConnection& scratch, long long afterId, int limit,
                                                   std::string& error)
{
    CAdoCommand count(scratch, kCountAfterSql);
    DbResult counted;
    if (!count.Bind(1, afterId).Run(&counted) || counted.rows.empty()) {
        Failed(count, error);
        return std::nullopt;
    }
    CAdoCommand subjects(scratch, kSubjectsAfterSql);
    DbResult rows;
    if (!subjects.Bind(1, afterId).Bind(2, static_cast<long long>(limit)).Run(&rows)) {
        Failed(subjects, error);
        return std::nullopt;
    }
    ScratchFindings findings;
    findings.count = static_cast<int>(Number(counted.rows.front()[0]));
    for (const auto& row : rows.rows) {
        findings.subjects.push_back(row[0].text);
    }
    return findings;
}

std::optional<long long> NewestRecordId(CAdoConnection& scratch, std::string& error)
{
    CAdoCommand newest(scratch, kNewestSql);
    DbResult result;
    if (!newest.Run(&result) || result.rows.empty()) {
        Failed(newest, error);
        return std::nullopt;
    }
    return Number(result.rows.front()[0]);
}
