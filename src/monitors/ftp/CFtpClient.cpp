#include "monitors/ftp/CFtpClient.h"

#include "monitors/ftp/CListParser.h"
#include "monitors/ftp/CMlsdParser.h"
#include "monitors/ftp/FtpListingText.h"
#include "monitors/ftp/FtpNotice.h"
#include "monitors/net/CurlFailureText.h"
#include "monitors/net/LibraryWords.h"
#include "util/UiText.h"

#include <curl/curl.h>

namespace {

constexpr std::size_t kMaxReplyLength = 300;

// Failures of our own making (libcurl's go through CurlFailureText).
constexpr const char* kBadAddress = WENDAR_TR_NOOP("CFtpClient", "地址格式不正确");
constexpr const char* kUnfinished = WENDAR_TR_NOOP("CFtpClient", "服务器在 ");
constexpr const char* kUnfinishedEnd = WENDAR_TR_NOOP("CFtpClient", " 秒内没有完成");
constexpr const char* kServer = WENDAR_TR_NOOP("CFtpClient", "服务器 ");
constexpr const char* kSilentEnd = WENDAR_TR_NOOP("CFtpClient", " 秒没有回应");
constexpr const char* kListingTooLarge = WENDAR_TR_NOOP("CFtpClient", "目录列表超过 ");
constexpr const char* kBytes = WENDAR_TR_NOOP("CFtpClient", " 字节");

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter
{
    void operator()(char* text) const { curl_free(text); }
};

// The reply code of a final reply line ("550 No such directory"), 0 for anything else.
int ReplyCode(std::string_view line)
{
    if (line.size() < 4 || line[3] != ' ') {
        return 0;
    }
    const auto code = ParseFtpDecimal(line.substr(0, 3), 3);
    return code ? static_cast<int>(*code) : 0;
}

// No easy handle: libcurl's words name the library when it could not be loaded.
std::string NoClientText(const std::string& host, int port)
{
    return CurlFailureText(CURLE_FAILED_INIT, host, port, curl_easy_strerror(CURLE_FAILED_INIT));
}

} // namespace

bool CFtpClient::ShouldAbort(long long downloaded)
{
    // curl's own low-speed check averages over several seconds; a stall after a burst of data
    // would hold the check longer than the time-out says.
    const auto now = std::chrono::steady_clock::now();
    if (downloaded != m_nDownloaded) {
        m_nDownloaded = downloaded;
        m_lastActivity = now;
    } else if (now - m_lastActivity > std::chrono::seconds(m_options.stallTimeoutSeconds)) {
        m_bStalled = true;
        return true;
    }
    return m_abortCheck && m_abortCheck();
}

// The C callbacks libcurl calls, with the client as their user pointer.
struct CFtpClientCallbacks
{
    static std::size_t OnData(char* data, std::size_t size, std::size_t count, void* self)
    {
        // A short count ends the transfer with a write error.
        return static_cast<CFtpClient*>(self)->TakeListingData(data, size * count) ? size * count : 0;
    }
    static std::size_t OnReply(char* data, std::size_t size, std::size_t count, void* self)
    {
        static_cast<CFtpClient*>(self)->RecordReply(std::string_view(data, size * count));
        return size * count;
    }
    static int OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t)
    {
        return static_cast<CFtpClient*>(self)->ShouldAbort(static_cast<long long>(downloaded)) ? 1 : 0;
    }
};

void CFtpClient::CurlDeleter::operator()(void* handle) const
{
    curl_easy_cleanup(static_cast<CURL*>(handle));
}

CFtpClient::CFtpClient(FtpClientOptions options)
    : m_options(options), m_curl(curl_easy_init()), m_errorBuffer(CURL_ERROR_SIZE, '\0')
{}

CFtpClient::~CFtpClient() = default;

bool CFtpClient::Connect(const std::string& host, int port, const std::string& user, const std::string& password)
{
    if (!m_curl) {
        m_strError = NoClientText(host, port);
        return false;
    }
    CURL* curl = m_curl.get();
    m_strHost = host;
    m_nPort = port;
    m_strUrlPath = "/"; // the login directory: no CWD yet
    m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_options.totalTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorBuffer.data());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_options.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, m_options.stallTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_options.stallTimeoutSeconds);
    // One "CWD /the/path" instead of one per part: the path is absolute, and the server's reply
    // names the whole directory.
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(curl, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CFtpClientCallbacks::OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CFtpClientCallbacks::OnReply);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CFtpClientCallbacks::OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    return Perform(nullptr, false);
}

bool CFtpClient::ChangeDirectory(const std::string& path)
{
    // "%2F" makes the path absolute instead of relative to the login directory.
    std::string relative = path;
    while (!relative.empty() && relative.front() == '/') {
        relative.erase(0, 1);
    }
    m_strUrlPath = "/%2F" + FtpPercentEncode(relative, true);
    if (m_strUrlPath.back() != '/') {
        m_strUrlPath += '/';
    }
    return Perform(nullptr, false);
}

bool CFtpClient::List(std::vector<FtpEntry>& entries)
{
    if (Perform("MLSD", true)) {
        entries = CMlsdParser::Parse(m_strListing);
        return true;
    }
    // 500/502: command unknown; 501, 504: not for this argument. Anything else is a real failure.
    const int code = ReplyCode(m_strLastReply);
    if (m_bAborted || m_bListingTooLarge || (code != 500 && code != 501 && code != 502 && code != 504)) {
        return false;
    }
    if (!Perform(nullptr, true)) {
        return false;
    }
    entries = CListParser(FtpLocalNow()).Parse(m_strListing);
    return true;
}

bool CFtpClient::Perform(const char* command, bool withBody)
{
    CURL* curl = m_curl.get();
    if (curl == nullptr) {
        m_strError = NoClientText(m_strHost, m_nPort);
        return false;
    }
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    CURLUcode urlCode = url ? CURLUE_OK : CURLUE_OUT_OF_MEMORY;
    const std::string port = std::to_string(m_nPort);
    for (const auto& [part, value] :
         {std::pair{CURLUPART_SCHEME, "ftp"}, std::pair{CURLUPART_HOST, m_strHost.c_str()},
          std::pair{CURLUPART_PORT, port.c_str()}, std::pair{CURLUPART_PATH, m_strUrlPath.c_str()}}) {
        if (urlCode == CURLUE_OK) {
            urlCode = curl_url_set(url.get(), part, value, 0);
        }
    }
    char* rawUrl = nullptr;
    if (urlCode == CURLUE_OK) {
        urlCode = curl_url_get(url.get(), CURLUPART_URL, &rawUrl, 0);
    }
    const std::unique_ptr<char, CurlTextDeleter> urlText(rawUrl);
    if (urlCode != CURLUE_OK) {
        m_strError = WithLibraryWords(UiText("CFtpClient", kBadAddress), curl_url_strerror(urlCode));
        return false;
    }

    curl_easy_setopt(curl, CURLOPT_URL, urlText.get());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, command);
    curl_easy_setopt(curl, CURLOPT_NOBODY, withBody ? 0L : 1L);
    m_errorBuffer.assign(CURL_ERROR_SIZE, '\0');
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_errorBuffer.data());
    m_strListing.clear();
    m_bListingTooLarge = false;
    m_strLastReply.clear();
    m_bAborted = false;
    m_bStalled = false;
    m_lastActivity = std::chrono::steady_clock::now();
    m_nDownloaded = 0;
    const auto code = static_cast<CURLcode>(m_driver.Perform(curl, m_abortCheck, m_deadline));
    if (code == CURLE_OK) {
        m_strError.clear();
        return true;
    }
    ComposeError(code);
    return false;
}

void CFtpClient::ComposeError(int code)
{
    const auto curlCode = static_cast<CURLcode>(code);
    m_bAborted = curlCode == CURLE_ABORTED_BY_CALLBACK && !m_bStalled;
    // curl's own timer, set to the time left, may fire a moment before the deadline.
    if (curlCode == CURLE_OPERATION_TIMEDOUT &&
        std::chrono::steady_clock::now() + std::chrono::seconds(1) >= m_deadline) {
        m_strError = UiText("CFtpClient", kUnfinished) + std::to_string(m_options.totalTimeoutSeconds) +
                     UiText("CFtpClient", kUnfinishedEnd);
        return;
    }
    if (m_bStalled) {
        m_strError = UiText("CFtpClient", kServer) + std::to_string(m_options.stallTimeoutSeconds) +
                     UiText("CFtpClient", kSilentEnd);
        return;
    }
    if (m_bListingTooLarge) {
        m_strError = UiText("CFtpClient", kListingTooLarge) + std::to_string(m_options.maxListingBytes) +
                     UiText("CFtpClient", kBytes);
        return;
    }
    std::string words = m_errorBuffer.c_str();
    // The server's own words say most about a refusal.
    if (ReplyCode(m_strLastReply) >= 400 && words.find(m_strLastReply) == std::string::npos) {
        words += (words.empty() ? "" : " / ") + m_strLastReply;
    }
    m_strError = CurlFailureText(curlCode, m_strHost, m_nPort, words);
}

void CFtpClient::RecordReply(std::string_view line)
{
    m_lastActivity = std::chrono::steady_clock::now(); // any reply line is a sign of life
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (ReplyCode(line) == 0) {
        return; // a continuation line of a multi-line reply
    }
    m_strLastReply.assign(line.substr(0, kMaxReplyLength));
    for (char& c : m_strLastReply) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
}

bool CFtpClient::TakeListingData(const char* data, std::size_t bytes)
{
    if (m_strListing.size() + bytes > m_options.maxListingBytes) {
        m_bListingTooLarge = true;
        return false;
    }
    m_strListing.append(data, bytes);
    return true;
}
