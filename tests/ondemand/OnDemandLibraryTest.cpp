// The stand-ins wendar links for libcurl, libsndfile, libpulse-simple, unixODBC and OpenSSL: this
// executable links them and not the libraries, as wendar does.
#include "gui/ondemand/OnDemandLibrary.h"

#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sndfile.h>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool IsLoaded(const char* soname)
{
    void* handle = dlopen(soname, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        dlclose(handle);
    }
    return handle != nullptr;
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* into)
{
    static_cast<std::string*>(into)->append(data, size * count);
    return size * count;
}

// First: libcurl brings libssl along.
TEST(OnDemandLibraryTest, OpenSslOpensForTheFirstTlsConnectionAndItsControlsGoThrough)
{
    ASSERT_FALSE(IsLoaded("libssl.so.3"));
    ERR_clear_error();
    EXPECT_TRUE(IsLoaded("libssl.so.3"));
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION), 1); // SSL_CTX_ctrl
    EXPECT_EQ(SSL_CTX_get_min_proto_version(context), TLS1_2_VERSION);
    SSL* ssl = SSL_new(context);
    ASSERT_NE(ssl, nullptr);
    EXPECT_EQ(SSL_set_tlsext_host_name(ssl, "example.org"), 1); // SSL_ctrl
    EXPECT_EQ(SSL_set1_host(ssl, "example.org"), 1);
    // A peer that has not answered yet: the handshake waits for it.
    int ends[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends), 0);
    EXPECT_EQ(SSL_set_fd(ssl, ends[0]), 1);
    const int result = SSL_connect(ssl);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(SSL_get_error(ssl, result), SSL_ERROR_WANT_READ);
    EXPECT_EQ(SSL_has_pending(ssl), 0);
    EXPECT_STREQ(X509_verify_cert_error_string(X509_V_ERR_CERT_HAS_EXPIRED), "certificate has expired");
    ERR_clear_error();
    EXPECT_EQ(ERR_get_error(), 0UL);
    SSL_free(ssl);
    SSL_CTX_free(context);
    close(ends[0]);
    close(ends[1]);
}

TEST(OnDemandLibraryTest, LibcurlOpensOnTheFirstCallAndEveryKindOfValueGoesThrough)
{
    ASSERT_FALSE(IsLoaded("libcurl.so.4"));
    CURLU* url = curl_url();
    ASSERT_NE(url, nullptr);
    EXPECT_TRUE(IsLoaded("libcurl.so.4"));
    ASSERT_EQ(curl_url_set(url, CURLUPART_URL, "HTTP://example.org:8080/a?b=1", 0), CURLUE_OK);
    char* host = nullptr;
    ASSERT_EQ(curl_url_get(url, CURLUPART_HOST, &host, 0), CURLUE_OK);
    EXPECT_STREQ(host, "example.org");
    curl_free(host);
    curl_url_cleanup(url);
    EXPECT_STREQ(curl_url_strerror(CURLUE_BAD_PORT_NUMBER), "Port number was not a decimal number between 0 and 65535");

    // A local file read through a multi handle: long, text, callback and off_t options, and
    // long and off_t information.
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "wendar-ondemand-test.txt";
    std::ofstream(file) << "0123456789";
    CURL* easy = curl_easy_init();
    ASSERT_NE(easy, nullptr);
    std::string body;
    const std::string address = "file://" + file.string();
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_URL, address.c_str()), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(4)), CURLE_OK);
    CURLM* multi = curl_multi_init();
    ASSERT_NE(multi, nullptr);
    ASSERT_EQ(curl_multi_add_handle(multi, easy), CURLM_OK);
    CURLcode result = CURLE_FAILED_INIT;
    for (int turn = 0, running = 0, queued = 0; turn < 1000 && result == CURLE_FAILED_INIT; ++turn) {
        ASSERT_EQ(curl_multi_perform(multi, &running), CURLM_OK);
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            result = message->msg == CURLMSG_DONE ? message->data.result : result;
        }
        if (result == CURLE_FAILED_INIT) {
            curl_multi_poll(multi, nullptr, 0, 100, nullptr);
        }
    }
    EXPECT_EQ(result, CURLE_OK) << curl_easy_strerror(result);
    EXPECT_EQ(body, "456789");
    curl_off_t size = 0;
    EXPECT_EQ(curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &size), CURLE_OK);
    EXPECT_EQ(size, 6);
    long code = -1;
    EXPECT_EQ(curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code), CURLE_OK);
    EXPECT_EQ(code, 0);
    curl_multi_remove_handle(multi, easy);
    curl_multi_cleanup(multi);
    curl_easy_cleanup(easy);
    std::filesystem::remove(file);
}

TEST(OnDemandLibraryTest, SoundFilesOpenTheLibraryOnlyWhenASoundIsRead)
{
    ASSERT_FALSE(IsLoaded("libsndfile.so.1"));
    ASSERT_FALSE(IsLoaded("libpulse-simple.so.0"));
    SF_INFO info{};
    EXPECT_EQ(sf_open("/nonexistent/ring.wav", SFM_READ, &info), nullptr);
    EXPECT_TRUE(IsLoaded("libsndfile.so.1"));
    EXPECT_THAT(sf_strerror(nullptr), testing::HasSubstr("No such file"));
    EXPECT_FALSE(IsLoaded("libpulse-simple.so.0"));
}

TEST(OnDemandLibraryTest, UnixOdbcOpensForTheFirstEnvironmentAndItsDiagnosticsComeThrough)
{
    ASSERT_FALSE(IsLoaded("libodbc.so.2"));
    SQLHANDLE environment = SQL_NULL_HANDLE;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment), SQL_SUCCESS);
    EXPECT_TRUE(IsLoaded("libodbc.so.2"));
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHANDLE connection = SQL_NULL_HANDLE;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection), SQL_SUCCESS);
    // A driver name nobody registered: the driver manager's diagnostic comes through.
    std::string text = "Driver={Wendar No Such Driver};Database=/nonexistent";
    EXPECT_FALSE(SQL_SUCCEEDED(SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                                static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                                                SQL_DRIVER_NOPROMPT)));
    SQLCHAR state[6] = {}, message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    ASSERT_TRUE(
        SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_DBC, connection, 1, state, &native, message, sizeof message, &length)));
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(state)), 5U);
    EXPECT_GT(length, 0);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, connection), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, environment), SQL_SUCCESS);
}

TEST(OnDemandLibraryTest, ALibraryThatCannotBeOpenedFailsEveryCallAndSaysWhy)
{
    OnDemandLibrary missing("libwendar-no-such-library.so.0");
    EXPECT_STREQ(missing.Error(), "");
    EXPECT_EQ(missing.Find<int()>("anything"), nullptr);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_THAT(missing.Error(), testing::StartsWith("libwendar-no-such-library.so.0 could not be loaded: "));
    EXPECT_EQ(missing.Find<int()>("anything"), nullptr); // tried once only: still closed

    OnDemandLibrary refused("libm.so.6", [](void*) { return false; });
    EXPECT_EQ(refused.Find<double(double)>("cos"), nullptr);
    EXPECT_STREQ(refused.Error(), "libm.so.6 could not be set up");

    OnDemandLibrary math("libm.so.6", [](void* handle) { return dlsym(handle, "cos") != nullptr; });
    EXPECT_FALSE(math.IsOpen());
    auto* cosine = math.Find<double(double)>("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);
    EXPECT_TRUE(math.IsOpen());
    EXPECT_STREQ(math.Error(), "");
}

} // namespace
