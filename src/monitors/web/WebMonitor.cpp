#include "monitors/web/WebMonitor.h"

#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/StoreFinding.h"
#include "monitors/web/ExclusionCut.h"
#include "monitors/web/MakeLinksAbsolute.h"
#include "monitors/web/UrlParts.h"
#include "store/CAdoRecordset.h"
#include "store/FindingStore.h"
#include "store/MessageInfo.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"
#include "store/SqlText.h"
#include "util/PrivateFile.h"

#include <cstddef>
#include <string_view>

namespace {

// Status texts; N (the item's name) goes between the pieces.
constexpr const char* kChecking = "正在检查";
constexpr const char* kConnecting = "->连接服务器";
constexpr const char* kDownloading = "->正在从服务器下载";
constexpr const char* kReading = "->正在读取服务器内容";
constexpr const char* kDownloadingAgain = "->第二次正在从服务器下载";
constexpr const char* kReadingAgain = "->第二次正在读取服务器内容";
constexpr const char* kComparing = "->正在比较新旧内容";
constexpr const char* kSaving = "->保存新数据";
constexpr const char* kDone = "->检查完毕";
constexpr const char* kFailedPrefix = "检查";
constexpr const char* kStopped = " 时发生意外错误";
constexpr const char* kFailed = " 时发生意外错误：";

// The stored record.
constexpr const char* kUnknownDate = "未知";
constexpr const char* kFromName = "检查软件";
constexpr const char* kFirstCheckInfo = "第一次监测网页,保留一份网页副本";
constexpr const char* kChangedInfo = "网页内容更新了!";
constexpr const char* kStartMarkerGoneInfo = "网页有重大变化,您先前所设置的自动检查的起始点在新网页中已经不存在,"
                                             "请重新设置自动检查的起始和结束范围";
constexpr const char* kEndMarkerGoneInfo = "网页有重大变化,您先前所设置的自动检查的结束点在新网页中已经不存在,"
                                           "请重新设置自动检查的起始和结束范围";

constexpr const char* kNewestRecordSql =
    "select top 1 usermessagetype.messagetypename ,usermessagetype.connaddress,userdata.*,usermessagetype.displaytype "
    "from userdata,usermessagetype where userdata.messagetypeid=usermessagetype.messagetypeid and "
    "userdata.messagetypeid=";
constexpr const char* kNewestRecordOrder = " order by id desc";

// Page copies for the user's eyes in data/; the program never reads them.
constexpr const char* kDataFolder = "data";
constexpr const char* kNewRegionFile = "网页.htm";
constexpr const char* kOldRegionFile = "数据.htm";

constexpr const char* kFramesetTag = "<FRAMESET";
constexpr const char* kFrameSourceKeyword = "SRC=";

enum class Marker
{
    AllFound,
    StartMissing,
    EndMissing,
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

void Trim(std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    std::size_t begin = 0;
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    text = text.substr(begin, end - begin);
}

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// Best effort: a page copy that cannot be written does not stop the check. A page fetched with
// credentials in its URL is the user's alone.
void WritePageCopies(const std::string& appDir, const std::string& newRegion, const std::string& oldRegion)
{
    std::string error;
    for (const auto& [name, text] : {std::pair{kNewRegionFile, &newRegion}, std::pair{kOldRegionFile, &oldRegion}}) {
        WritePrivateFile(appDir + kDataFolder, name, *text, error);
    }
}

class WebPageCheck final
{
public:
    WebPageCheck(CheckContext& context, MessageTypeInfo& item, const WebCheckOptions& options)
        : m_ctx(context), m_item(item), m_options(options), m_name(item.MessageTypeName)
    {}

    int Run(const std::string& url, bool topLevel, int depth);

private:
    enum class Fetch
    {
        Done,
        Ended, // stopped or failed; the status text says which
    };

    void Status(const std::string& text) { m_ctx.run.SetStatusText(text); }
    int Fail(const std::string& reason)
    {
        m_ctx.run.SetErrorText(kFailedPrefix + m_name + kFailed + reason);
        return 0;
    }
    int Stop()
    {
        Status(kFailedPrefix + m_name + kStopped);
        return 0;
    }

    Fetch Download(const UrlParts& parts, std::string& page);
    int FollowFrames(const std::string& url, const std::string& page, int depth, bool& followed);
    bool LoadNewest(const std::string& url, bool topLevel, bool& found, MessageInfo& newest);
    int Store(CFindingStore& store, const std::string& url, const std::string& page, const std::string& info);
    std::string OldRegion(std::string copy) const;

    CheckContext& m_ctx;
    MessageTypeInfo& m_item;
    const WebCheckOptions& m_options;
    std::string m_name;
    int m_nFramesChecked = 0;
};

WebPageCheck::Fetch WebPageCheck::Download(const UrlParts& parts, std::string& page)
{
    auto stopRequested = [this] { return m_ctx.run.IsStopRequested(); };
    // Two GETs, as the monitor always did; only the second body is used. The first request is
    // kept until the second is done.
    CHttpRequest first(m_options.http, stopRequested);
    CHttpRequest second(m_options.http, stopRequested);
    const struct
    {
        CHttpRequest* request;
        const char* sending;
        const char* reading;
    } rounds[] = {{&first, kDownloading, kReading}, {&second, kDownloadingAgain, kReadingAgain}};
    for (const auto& round : rounds) {
        if (m_ctx.run.IsStopRequested()) {
            Stop();
            return Fetch::Ended;
        }
        Status(kChecking + m_name + round.sending);
        const std::string reading = kChecking + m_name + round.reading;
        switch (round.request->Get(parts, page, [this, &reading] { Status(reading); })) {
        case CHttpRequest::Outcome::Done:
            break;
        case CHttpRequest::Outcome::Stopped:
            Stop();
            return Fetch::Ended;
        case CHttpRequest::Outcome::Failed:
            Fail(round.request->ErrorText());
            return Fetch::Ended;
        }
    }
    return Fetch::Done;
}

int WebPageCheck::FollowFrames(const std::string& url, const std::string& page, int depth, bool& followed)
{
    // Tags and attribute names in any letter case; the values keep theirs (paths are
    // case-sensitive on most servers).
    const std::string upper = UpperAscii(page);
    std::size_t pos = upper.find(kFramesetTag);
    if (pos == std::string::npos) {
        return 0;
    }
    followed = true;
    LinkPrefixes prefixes;
    MakeLinkPrefixes(url, prefixes);
    const std::string_view keyword = kFrameSourceKeyword;
    int frameResult = 0;
    while (pos < upper.size() && frameResult == 0 && m_nFramesChecked < m_options.maxFrames) {
        const std::size_t found = upper.find(keyword, pos);
        if (found == std::string::npos) {
            break;
        }
        std::size_t value = found + keyword.size();
        while (value < page.size() && IsSpace(page[value])) {
            ++value;
        }
        std::size_t end = std::string::npos;
        if (value < page.size() && (page[value] == '"' || page[value] == '\'')) {
            end = page.find(page[value], value + 1);
            ++value;
        } else {
            end = page.find_first_of(" \t\r\n\f\v>", value);
        }
        // A value without its closing character becomes an empty URL, which fails on its own.
        const std::string frameUrl =
            end == std::string::npos ? std::string() : ResolveLinkValue(prefixes, page.substr(value, end - value));
        ++m_nFramesChecked;
        frameResult = Run(frameUrl, false, depth + 1);
        pos = value;
    }
    return frameResult;
}

bool WebPageCheck::LoadNewest(const std::string& url, bool topLevel, bool& found, MessageInfo& newest)
{
    std::string sql = kNewestRecordSql + std::to_string(m_item.messagetypeid);
    if (!topLevel) {
        // Each frame is compared with its own last copy, or frames would take turns as "changed".
        sql += " and userdata.sourcelink='" + SqlEscape(url) + "'";
    }
    sql += kNewestRecordOrder;
    CAdoRecordset rs(m_ctx.mainConnection);
    rs.SetShowErrors(false);
    if (!rs.Open(sql)) {
        return false;
    }
    found = !rs.IsEOF();
    if (found) {
        // The query has no bCanChangeState, so the loader's overall result is always false;
        // what matters here is that the copy itself was read.
        newest.LoadFromRecordset(rs);
        std::string content;
        if (!rs.GetFieldValue("SourceContent", content)) {
            return false;
        }
    }
    return true;
}

std::string WebPageCheck::OldRegion(std::string copy) const
{
    if (!m_item.IncludeFrom.empty()) {
        const std::size_t from = copy.find(m_item.IncludeFrom);
        if (from != std::string::npos) {
            copy.erase(0, from + m_item.IncludeFrom.size());
        }
    }
    if (!m_item.IncludeTo.empty()) {
        const std::size_t to = copy.find(m_item.IncludeTo);
        copy.resize(to == std::string::npos ? 0 : to);
    }
    return copy;
}

int WebPageCheck::Store(CFindingStore& store, const std::string& url, const std::string& page, const std::string& info)
{
    SourceRowInfo row;
    row.FromDate = kUnknownDate;
    row.FromName = kFromName;
    row.Info = info;
    row.Content = page;
    row.Link = url;
    const auto outcome = store.Store(row);
    if (outcome == CFindingStore::Outcome::ItemGone) {
        Status(m_name + kDone);
        return 0;
    }
    if (outcome != CFindingStore::Outcome::Stored || !store.Flush()) {
        return Fail(FindingStoreFailure(store));
    }
    Status(m_name + kDone);
    return 1;
}

int WebPageCheck::Run(const std::string& url, bool topLevel, int depth)
{
    if (m_ctx.run.IsStopRequested() || m_item.state == 0) {
        return 0;
    }
    Status(kChecking + m_name + kConnecting);
    UrlParts parts;
    std::string error;
    if (!SplitUrl(url, parts, error)) {
        return Fail(error);
    }
    std::string page;
    if (Download(parts, page) != Fetch::Done) {
        return 0;
    }
    if (!ApplyExclusions(m_ctx.mainConnection, page, m_item)) {
        return Fail(LocalDatabaseFailure(m_ctx));
    }
    Trim(page);

    // The compared region: after the first start marker, before the first end marker after it.
    Marker marker = Marker::AllFound;
    std::size_t from = 0;
    std::size_t to = page.size();
    if (!m_item.IncludeFrom.empty()) {
        const std::size_t found = page.find(m_item.IncludeFrom);
        if (found != std::string::npos) {
            from = found + m_item.IncludeFrom.size();
        } else {
            marker = Marker::StartMissing;
        }
    }
    if (!m_item.IncludeTo.empty()) {
        const std::size_t found = page.find(m_item.IncludeTo, from);
        if (found != std::string::npos) {
            to = found;
        } else if (marker == Marker::AllFound) {
            marker = Marker::EndMissing;
        }
    }
    const std::string region = page.substr(from, to - from);
    WritePageCopies(m_ctx.appDir, region, std::string());

    bool followedFrames = false;
    int frameResult = 0;
    if (marker != Marker::AllFound && depth < m_options.maxFrameDepth) {
        frameResult = FollowFrames(url, page, depth, followedFrames);
    }
    Status(m_name + kDone);
    if (topLevel && followedFrames) {
        return frameResult;
    }
    if (marker != Marker::AllFound && (!topLevel || followedFrames)) {
        return 0;
    }

    Status(kChecking + m_name + kComparing);
    // The comparison with the stored copy and the store are one write transaction: another
    // program checking the same page cannot store the same change in between.
    CFindingStore store(m_ctx.mainConnection, m_item);
    store.SetKeepWaiting([this] { return !m_ctx.run.IsStopRequested(); });
    if (!store.Begin()) {
        return Fail(FindingStoreFailure(store));
    }
    bool haveNewest = false;
    MessageInfo newest;
    if (!LoadNewest(url, topLevel, haveNewest, newest)) {
        return Fail(LocalDatabaseFailure(m_ctx));
    }

    if (marker != Marker::AllFound) {
        // A vanished marker is reported once; the report stays the newest record until the
        // markers come back and the normal comparison stores the page again.
        const char* report = marker == Marker::StartMissing ? kStartMarkerGoneInfo : kEndMarkerGoneInfo;
        if (haveNewest && newest.SourceInfo == report) {
            Status(m_name + kDone);
            return 0;
        }
        Status(m_name + kSaving);
        return Store(store, url, page, report);
    }

    std::string oldRegion;
    if (haveNewest) {
        std::string copy = newest.SourceContent;
        Trim(copy);
        if (!ApplyExclusions(m_ctx.mainConnection, copy, m_item)) {
            return Fail(LocalDatabaseFailure(m_ctx));
        }
        oldRegion = OldRegion(std::move(copy));
        if (oldRegion == region) {
            Status(m_name + kDone);
            return 0;
        }
    }
    Status(m_name + kDone);
    Status(m_name + kSaving);
    WritePageCopies(m_ctx.appDir, region, oldRegion);
    return Store(store, url, page, haveNewest ? kChangedInfo : kFirstCheckInfo);
}

} // namespace

int CheckWebPage(CheckContext& context, MessageTypeInfo& item, bool topLevel)
{
    return CheckWebPage(context, item, topLevel, WebCheckOptions{});
}

int CheckWebPage(CheckContext& context, MessageTypeInfo& item, bool topLevel, const WebCheckOptions& options)
{
    WebPageCheck check(context, item, options);
    return check.Run(item.connAddress, topLevel, 0);
}
