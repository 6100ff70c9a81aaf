#include "monitors/web/WebMonitor.h"

#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/StoreFinding.h"
#include "monitors/net/CCurlDriver.h"
#include "monitors/web/ExclusionCut.h"
#include "store/CAdoConnection.h"
#include "store/FindingStore.h"
#include "store/MessageTypeInfo.h"
#include "store/PageCopies.h"
#include "store/SourceRowInfo.h"
#include "util/MakeLinksAbsolute.h"
#include "util/PageCharset.h"
#include "util/PrivateFile.h"
#include "util/UrlParts.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <memory>
#include <string_view>

namespace {

// Status texts; N (the item's name) goes between the pieces.
constexpr const char* kChecking = "正在检查";
constexpr const char* kConnecting = "->连接服务器";
constexpr const char* kDownloading = "->正在从服务器下载";
constexpr const char* kReading = "->正在读取服务器内容";
constexpr const char* kComparing = "->正在比较新旧内容";
constexpr const char* kSaving = "->保存新数据";
constexpr const char* kDone = "->检查完毕";
constexpr const char* kFailedPrefix = "检查";
constexpr const char* kStopped = " 时发生意外错误";
constexpr const char* kFailed = " 时发生意外错误：";
constexpr const char* kErrorStatus = "网页返回错误 ";
constexpr const char* kEmptyPage = "网页没有内容";

// The stored record.
constexpr const char* kUnknownDate = "未知";
constexpr const char* kFromName = "检查软件";
constexpr const char* kFirstCheckInfo = "第一次监测网页,保留一份网页副本";
constexpr const char* kChangedInfo = "网页内容更新了!";
constexpr const char* kStartMarkerGoneInfo = "网页有重大变化,您先前所设置的自动检查的起始点在新网页中已经不存在,"
                                             "请重新设置自动检查的起始和结束范围";
constexpr const char* kEndMarkerGoneInfo = "网页有重大变化,您先前所设置的自动检查的结束点在新网页中已经不存在,"
                                           "请重新设置自动检查的起始和结束范围";

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

// In place: a page may be tens of megabytes.
void Trim(std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    text.resize(end);
    std::size_t begin = 0;
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    text.erase(0, begin);
}

// Lines are joined with nothing between them (carriage returns stay); NUL bytes, which no stored
// text can hold, are dropped.
void JoinLines(std::string& page)
{
    std::erase_if(page, [](char c) { return c == '\n' || c == '\0'; });
}

// Tags and attribute names in any letter case, without an upper-cased copy of the page.
std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from)
{
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    if (from >= text.size()) {
        return std::string_view::npos;
    }
    const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), word.begin(), word.end(),
                                [&](char a, char b) { return lower(a) == lower(b); });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

bool IsMarkerReport(const std::string& info)
{
    return info == kStartMarkerGoneInfo || info == kEndMarkerGoneInfo;
}

// Best effort: a page copy that cannot be written does not stop the check. A page fetched with
// credentials in its URL is the user's alone.
void WritePageCopies(const std::string& appDir, std::string_view newRegion, std::string_view oldRegion)
{
    std::string error;
    for (const auto& [name, text] : {std::pair{kNewRegionFile, newRegion}, std::pair{kOldRegionFile, oldRegion}}) {
        WritePrivateFile(appDir + kDataFolder, name, text, error);
    }
}

// What the store holds for the item (or, in a frame check, for the frame).
struct StoredState
{
    long long newestId = 0;   // the newest record of the page when it was read; 0: none
    bool any = false;         // the item has a record
    std::string newestInfo;   // SourceInfo of the newest record
    bool haveCopy = false;    // a comparison copy exists: reports of vanished markers are none
    bool copyDeleted = false; // the copy is a deleted record's
    std::string copy;         // its SourceContent
};

class WebPageCheck final
{
public:
    WebPageCheck(CheckContext& context, MessageTypeInfo& item, const WebCheckOptions& options)
        : m_ctx(context), m_item(item), m_options(options), m_name(item.MessageTypeName),
          m_deadline(CHttpRequest::Clock::now() + options.checkTimeLimit)
    {
        if (m_ctx.curl == nullptr) {
            // The frames of one check share the connections at least.
            m_ownDriver = std::make_unique<CCurlDriver>();
        }
    }

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
    bool Stopped() const { return m_ctx.run.IsStopRequested(); }
    CCurlDriver* Driver() { return m_ctx.curl != nullptr ? m_ctx.curl : m_ownDriver.get(); }

    Fetch Download(const UrlParts& parts, std::string& page);
    int FollowFrames(const std::string& url, const std::string& page, int depth, bool& followed);
    PageRecordFilter StoredFilter(const std::string& url, bool topLevel) const;
    bool LoadStored(const std::string& url, bool topLevel, StoredState& stored);
    enum class Verdict
    {
        Same,
        Changed,
        Failed,
        Stopped,
    };
    // Compares the page's region with the stored state; a change gives the info to store it with.
    Verdict Compare(StoredState& stored, Marker marker, std::string_view region, const char*& info);
    bool NewestId(const PageRecordFilter& filter, long long& id, std::string& info, bool& deleted);
    int Store(CFindingStore& store, const std::string& url, std::string page, const std::string& info);
    void CutOldRegion(std::string& copy) const;

    CheckContext& m_ctx;
    MessageTypeInfo& m_item;
    const WebCheckOptions& m_options;
    std::string m_name;
    CHttpRequest::Clock::time_point m_deadline;
    std::unique_ptr<CCurlDriver> m_ownDriver;
    int m_nFramesChecked = 0;
};

WebPageCheck::Fetch WebPageCheck::Download(const UrlParts& parts, std::string& page)
{
    // One GET: libcurl keeps no cache, and the request asks every cache on the way for a fresh copy.
    if (Stopped()) {
        Stop();
        return Fetch::Ended;
    }
    CHttpRequest request(
        m_options.http, [this] { return Stopped(); }, Driver());
    request.SetPinnedCertificate(m_ctx.pinnedCertificate);
    Status(kChecking + m_name + kDownloading);
    const std::string reading = kChecking + m_name + kReading;
    switch (request.Get(
        parts, page, [this, &reading] { Status(reading); }, m_deadline)) {
    case CHttpRequest::Outcome::Done:
        break;
    case CHttpRequest::Outcome::Stopped:
        Stop();
        return Fetch::Ended;
    case CHttpRequest::Outcome::Failed:
        Fail(request.ErrorText());
        return Fetch::Ended;
    }
    // An error page is no copy of the page: storing it would make the real page a change later.
    const long code = request.ResponseCode();
    if (code < 200 || code > 299) {
        const std::string& reason = request.ReasonPhrase();
        Fail(kErrorStatus + std::to_string(code) + (reason.empty() ? "" : " " + reason));
        return Fetch::Ended;
    }
    if (std::all_of(page.begin(), page.end(), IsSpace)) {
        Fail(kEmptyPage);
        return Fetch::Ended;
    }
    // Markers, exclusions, the comparison and the stored copy all work on UTF-8.
    DecodePageToUtf8(page, request.ContentType());
    JoinLines(page);
    return Fetch::Done;
}

int WebPageCheck::FollowFrames(const std::string& url, const std::string& page, int depth, bool& followed)
{
    std::size_t pos = FindNoCase(page, kFramesetTag, 0);
    if (pos == std::string::npos) {
        return 0;
    }
    followed = true;
    LinkPrefixes prefixes;
    MakeLinkPrefixes(url, prefixes);
    const std::string_view keyword = kFrameSourceKeyword;
    int frameResult = 0;
    while (pos < page.size() && frameResult == 0 && m_nFramesChecked < m_options.maxFrames && !Stopped()) {
        const std::size_t found = FindNoCase(page, keyword, pos);
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
        // The values keep their letter case: paths are case-sensitive on most servers.
        const std::string frameUrl =
            end == std::string::npos ? std::string() : ResolveLinkValue(prefixes, page.substr(value, end - value));
        ++m_nFramesChecked;
        frameResult = Run(frameUrl, false, depth + 1);
        pos = value;
    }
    return frameResult;
}

bool WebPageCheck::NewestId(const PageRecordFilter& filter, long long& id, std::string& info, bool& deleted)
{
    return NewestPageRecord(m_ctx.mainConnection, filter, id, info, deleted);
}

PageRecordFilter WebPageCheck::StoredFilter(const std::string& url, bool topLevel) const
{
    // Each frame is compared with its own last copy, or frames would take turns as "changed".
    return PageRecordFilter{m_item.messagetypeid, url, !topLevel, {}};
}

bool WebPageCheck::LoadStored(const std::string& url, bool topLevel, StoredState& stored)
{
    PageRecordFilter filter = StoredFilter(url, topLevel);
    long long id = 0;
    if (!NewestId(filter, id, stored.newestInfo, stored.copyDeleted)) {
        return false;
    }
    stored.newestId = id;
    stored.any = id != 0;
    if (stored.any && IsMarkerReport(stored.newestInfo)) {
        // A report of vanished markers holds a page without the region: the comparison is with
        // the last page that had it.
        std::string info;
        filter.skipInfos = {kStartMarkerGoneInfo, kEndMarkerGoneInfo};
        if (!NewestId(filter, id, info, stored.copyDeleted)) {
            return false;
        }
    }
    stored.haveCopy = id != 0;
    if (!stored.haveCopy) {
        return true;
    }
    return ReadPageCopy(m_ctx.mainConnection, id, stored.copyDeleted, stored.copy);
}

// The region of a stored copy, in place: after the start marker when it is found (else from the
// start), before the first end marker (none: the region is empty).
void WebPageCheck::CutOldRegion(std::string& copy) const
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
}

int WebPageCheck::Store(CFindingStore& store, const std::string& url, std::string page, const std::string& info)
{
    SourceRowInfo row;
    row.FromDate = kUnknownDate;
    row.FromName = kFromName;
    row.Info = info;
    row.Content = std::move(page);
    row.Link = url;
    const auto outcome = store.StoreLarge(row);
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
    if (Stopped() || m_item.state == 0) {
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
    // A large page takes a while to cut and compare: a stop is seen between the steps.
    if (Stopped()) {
        return Stop();
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
    const std::string_view region = std::string_view(page).substr(from, to - from);
    WritePageCopies(m_ctx.appDir, region, {});

    bool followedFrames = false;
    int frameResult = 0;
    if (marker != Marker::AllFound && depth < m_options.maxFrameDepth) {
        frameResult = FollowFrames(url, page, depth, followedFrames);
    }
    Status(m_name + kDone);
    if (followedFrames) {
        // A frame at any depth that stored a record is this page's finding.
        return frameResult;
    }
    if (marker != Marker::AllFound && !topLevel) {
        return 0;
    }
    if (Stopped()) {
        return Stop();
    }

    Status(kChecking + m_name + kComparing);
    // The comparison runs on what is stored now, outside a write transaction: a large page takes a
    // while to compare, and the window must not wait for that. The store's write transaction then
    // asks whether a record of the page came meanwhile (another program checking the same page)
    // and, if one did, compares again inside it: the same change is never stored twice.
    StoredState stored;
    if (!LoadStored(url, topLevel, stored)) {
        return Fail(LocalDatabaseFailure(m_ctx));
    }
    const char* info = nullptr;
    Verdict verdict = Compare(stored, marker, region, info);
    std::string().swap(stored.copy); // the old copy is not needed any more
    if (verdict != Verdict::Changed) {
        return verdict == Verdict::Failed ? Fail(LocalDatabaseFailure(m_ctx)) : 0;
    }
    CFindingStore store(m_ctx.mainConnection, m_item);
    store.SetKeepWaiting([this] { return !m_ctx.run.IsStopRequested(); });
    if (!store.Begin()) {
        return Fail(FindingStoreFailure(store));
    }
    long long newestId = 0;
    std::string newestInfo;
    bool newestDeleted = false;
    if (!NewestId(StoredFilter(url, topLevel), newestId, newestInfo, newestDeleted)) {
        return Fail(LocalDatabaseFailure(m_ctx));
    }
    if (newestId != stored.newestId) {
        StoredState now;
        if (!LoadStored(url, topLevel, now)) {
            return Fail(LocalDatabaseFailure(m_ctx));
        }
        verdict = Compare(now, marker, region, info);
        std::string().swap(now.copy);
        if (verdict != Verdict::Changed) {
            return verdict == Verdict::Failed ? Fail(LocalDatabaseFailure(m_ctx)) : 0;
        }
    }
    return Store(store, url, std::move(page), info);
}

WebPageCheck::Verdict WebPageCheck::Compare(StoredState& stored, Marker marker, std::string_view region,
                                            const char*& info)
{
    if (marker != Marker::AllFound) {
        // A vanished marker is reported once; the report is not a comparison copy, so markers
        // that come back with the old region are no change.
        const char* report = marker == Marker::StartMissing ? kStartMarkerGoneInfo : kEndMarkerGoneInfo;
        if (stored.any && stored.newestInfo == report) {
            Status(m_name + kDone);
            return Verdict::Same;
        }
        Status(m_name + kSaving);
        info = report;
        return Verdict::Changed;
    }

    std::string& oldRegion = stored.copy;
    if (stored.haveCopy) {
        Trim(oldRegion);
        // A copy stored in the page's own bytes by an older version reads as the page does now.
        NormalizeStoredPage(oldRegion);
        if (!ApplyExclusions(m_ctx.mainConnection, oldRegion, m_item)) {
            return Verdict::Failed;
        }
        CutOldRegion(oldRegion);
        if (oldRegion == region) {
            Status(m_name + kDone);
            return Verdict::Same;
        }
    }
    if (Stopped()) {
        Stop();
        return Verdict::Stopped;
    }
    Status(m_name + kDone);
    Status(m_name + kSaving);
    WritePageCopies(m_ctx.appDir, region, oldRegion);
    info = stored.any ? kChangedInfo : kFirstCheckInfo;
    return Verdict::Changed;
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
