// Hostile remote rows: the input is cut at 0x1F bytes into the ten columns of one row of a real
// SQLite view (typed columns, so the integer and date conversions see the text too), read through
// the SQLite3 ODBC driver by a database check and stored into a real local store.
#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/database/DatabaseMonitor.h"
#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageReporter.h"
#include "store/MessageTypeInfo.h"
#include "store/OdbcBackend.h"
#include "store/SqlText.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class QuietReporter final : public IMessageReporter
{
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

struct Fixture
{
    Fixture()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendar-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::abort();
        }
        dir = pattern + "/";
        remoteConnection = "Driver=SQLite3;Database=" + dir + "remote.db";
        std::vector<std::string> errors;
        remote = OpenOdbcBackend(remoteConnection, errors);
        if (!remote ||
            !remote->Execute("create table notices(id integer, sourcetype varchar(50), fromdate timestamp, "
                             "fromid varchar(50), fromname varchar(100), info varchar(200), toid bigint, "
                             "toname varchar(100), content text, link varchar(200))",
                             errors) ||
            !remote->Execute("create view v_notice as select id as ID, sourcetype as SourceType, fromdate as "
                             "FromDate, fromid as FromID, fromname as FromName, info as Info, toid as ToID, "
                             "toname as ToName, content as Content, link as Link from notices",
                             errors)) {
            std::abort();
        }
        std::string error;
        const std::string path = dir + "message.dat";
        local.SetReporter(std::make_shared<QuietReporter>());
        if (!EnsureLocalDatabase(path, error) || !local.Open("DBQ=" + path + ";DRIVER={SQLite3}", true)) {
            std::abort();
        }
        item.MessageTypeName = "fuzz";
        item.connAddress = remoteConnection;
        item.ViewName = "v_notice";
        item.CheckNumber = 0;
        item.Save(local, 1);
    }
    ~Fixture()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string dir;
    std::string remoteConnection;
    std::unique_ptr<IDbBackend> remote;
    CAdoConnection local;
    CRunState run;
    MessageTypeInfo item;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0x1F && fields.size() < 10) {
            fields.emplace_back();
        } else {
            fields.back() += static_cast<char>(data[i]);
        }
    }
    fields.resize(10);

    std::vector<std::string> errors;
    std::string sql = "insert into notices values(";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        sql += (i ? ",'" : "'") + SqlEscape(fields[i]) + "'";
    }
    sql += ")";
    if (!fixture.remote->Execute("delete from notices", errors) || !fixture.remote->Execute(sql, errors)) {
        return 0;
    }

    CheckContext context{fixture.local, fixture.run, fixture.dir};
    const int before = fixture.item.m_nNewCount;
    const int result = CheckDatabase(context, fixture.item);
    // One new row in the view: stored once, counted once. Only a NUL byte, which ends an SQL
    // text, may keep it out of the store.
    const int stored = fixture.item.m_nNewCount - before;
    const bool hasNul = std::memchr(data, 0, size) != nullptr;
    if (result < 0 || result > 1 || stored != result || (result == 0 && !hasNul)) {
        std::abort();
    }
    fixture.local.Execute("delete from userdata");
    return 0;
}
