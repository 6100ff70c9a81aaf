#include "store/ItemOptions.h"

#include "store/CAdoConnection.h"
#include "util/UiText.h"

#include <cctype>

namespace {

constexpr const char* kColumns = "messagetypeid,OwnSchedule,ExpectMinutes,PinnedCertificate,MailPreview";
constexpr const char* kSelectOneSql = "select messagetypeid,OwnSchedule,ExpectMinutes,PinnedCertificate,MailPreview "
                                      "from userdata_itemoptions where messagetypeid=?1";
constexpr const char* kSelectAllSql =
    "select messagetypeid,OwnSchedule,ExpectMinutes,PinnedCertificate,MailPreview from userdata_itemoptions";
constexpr const char* kSaveSql = "insert or replace into userdata_itemoptions (%s) values (?1,?2,?3,?4,?5)";
constexpr const char* kDeleteSql = "delete from userdata_itemoptions where messagetypeid=?1";
constexpr size_t kFingerprintDigits = 64;
// The certificate pin's note (monitors/net/CertificatePin.cpp), as written in either language.
constexpr const char* kFingerprintMark = WENDAR_TR_NOOP("CertificatePin", "SHA-256 指纹 ");
constexpr size_t kFingerprintTextLength = kFingerprintDigits + kFingerprintDigits / 2 - 1; // with colons

std::string FirstError(const CAdoCommand& command)
{
    return command.Errors().empty() ? UiText("ItemOptions", "数据库拒绝了操作") : command.Errors().front();
}

long long Number(const DbValue& value)
{
    return value.kind == DbValue::Kind::Text ? std::atoll(value.text.c_str()) : value.integer;
}

ItemOptions FromRow(const std::vector<DbValue>& row)
{
    ItemOptions options;
    options.messagetypeid = static_cast<int>(Number(row[0]));
    options.ownSchedule = Number(row[1]) != 0;
    options.expectMinutes = static_cast<int>(Number(row[2]));
    options.pinnedCertificate = row[3].text;
    options.mailPreview = Number(row[4]) != 0;
    return options;
}

} // namespace

std::optional<ItemOptions> LoadItemOptions(CAdoConnection& connection, int messagetypeid, std::string& error)
{
    CAdoCommand select(connection, kSelectOneSql);
    DbResult result;
    if (!select.Bind(1, static_cast<long long>(messagetypeid)).Run(&result)) {
        error = FirstError(select);
        return std::nullopt;
    }
    if (result.rows.empty()) {
        ItemOptions defaults;
        defaults.messagetypeid = messagetypeid;
        return defaults;
    }
    return FromRow(result.rows.front());
}

std::optional<std::map<int, ItemOptions>> LoadAllItemOptions(CAdoConnection& connection, std::string& error)
{
    CAdoCommand select(connection, kSelectAllSql);
    DbResult result;
    if (!select.Run(&result)) {
        error = FirstError(select);
        return std::nullopt;
    }
    std::map<int, ItemOptions> all;
    for (const auto& row : result.rows) {
        ItemOptions options = FromRow(row);
        all[options.messagetypeid] = std::move(options);
    }
    return all;
}

bool SaveItemOptions(CAdoConnection& connection, const ItemOptions& options, std::string& error)
{
    std::string sql = kSaveSql;
    sql.replace(sql.find("%s"), 2, kColumns);
    CAdoCommand save(connection, sql);
    save.Bind(1, static_cast<long long>(options.messagetypeid))
        .Bind(2, options.ownSchedule ? 1LL : 0LL)
        .Bind(3, static_cast<long long>(options.expectMinutes))
        .Bind(4, options.pinnedCertificate)
        .Bind(5, options.mailPreview ? 1LL : 0LL);
    if (!save.Run()) {
        error = FirstError(save);
        return false;
    }
    return true;
}

bool DeleteItemOptions(CAdoConnection& connection, int messagetypeid, std::string& error)
{
    CAdoCommand remove(connection, kDeleteSql);
    if (!remove.Bind(1, static_cast<long long>(messagetypeid)).Run()) {
        error = FirstError(remove);
        return false;
    }
    return true;
}

std::string FingerprintInText(const std::string& text)
{
    for (const std::string& mark : {std::string(kFingerprintMark), UiText("CertificatePin", kFingerprintMark)}) {
        if (const size_t at = text.find(mark); at != std::string::npos) {
            return NormalizeFingerprint(text.substr(at + mark.size(), kFingerprintTextLength));
        }
    }
    return {};
}

std::string NormalizeFingerprint(const std::string& text)
{
    std::string digits;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isxdigit(u)) {
            digits += static_cast<char>(std::tolower(u));
        } else if (c != ':' && !std::isspace(u)) {
            return {};
        }
    }
    return digits.size() == kFingerprintDigits ? digits : std::string();
}
