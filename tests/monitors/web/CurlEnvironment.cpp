// libcurl is set up once for the whole test program, as the program's main does.
#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {

class CurlEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK); }
    void TearDown() override { curl_global_cleanup(); }
};

// gtest owns registered environments.
[[maybe_unused]] ::testing::Environment* const kCurlEnvironment =
    ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

} // namespace
