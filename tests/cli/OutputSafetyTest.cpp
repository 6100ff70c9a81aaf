// What reaches the user's terminal and disk from hostile sources, and how options are read: escape
// sequences in a mail subject are shown, not obeyed; page copies are the user's alone and never
// written through a planted symlink; an option's value is never taken for an option.
#include "CliRunner.h"
#include "LocalServers.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

class OutputSafety : public CliRunner
{
};

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

mode_t Mode(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST_F(OutputSafety, EscapeSequencesInAMailSubjectAreShownNotObeyed)
{
    const std::string hostile = "\x1b]0;owned\x07\x1b[2J\x1b[31mred\xc2\x9b"
                                "1m";
    LocalServers::DeliverMail("1700009001.M1P1.escape", "From: \"\x1b[5mEve\" <eve@example.com>\r\nSubject: " +
                                                            hostile + "\r\nTo: tester@example.com\r\n\r\nbody\r\n");
    Ok({"items", "add", "--name", "邮件", "--category", "4", "--address", "127.0.0.1", "--view",
        std::to_string(LocalServers::Pop3Port()), "--user", "tester", "--password", "secret"});
    const std::string check = Ok({"check", "1"});
    const std::string list = Ok({"messages"});
    const std::string id = std::to_string(Number("select max(ID) from userdata where SourceInfo like '%owned%'"));
    const std::string one = Ok({"message", id});
    for (const std::string* text : {&check, &list, &one}) {
        EXPECT_FALSE(Has(*text, "\x1b")) << *text;
        EXPECT_FALSE(Has(*text, "\x07")) << *text;
        EXPECT_FALSE(Has(*text, "\xc2\x9b")) << *text;
    }
    EXPECT_TRUE(Has(list, "^[]0;owned^G^[[2J^[[31mred<U+009B>1m")) << list;
    EXPECT_TRUE(Has(one, "^[[5mEve")) << one;
    const std::string json = Ok({"--json", "message", id});
    EXPECT_TRUE(Has(json, R"(\u001b]0;owned\u0007\u001b[2J\u001b[31mred\u009b1m)")) << json;
}

TEST_F(OutputSafety, PageCopiesAreTheUsersAloneAndAPlantedSymlinkIsReplacedNotFollowed)
{
    LocalServers::SetPage("/copies.htm", "<p>secret page</p>");
    Ok({"items", "add", "--name", "网页", "--category", "2", "--address",
        "http://127.0.0.1:" + std::to_string(LocalServers::HttpPort()) + "/copies.htm"});
    const std::string data = home.path() + "data/";
    std::filesystem::create_directory(data);
    ::chmod(data.c_str(), 0755);
    const std::string victim = home.path() + "victim.txt";
    std::ofstream(victim) << "untouched";
    std::filesystem::create_symlink(victim, data + "网页.htm");

    Ok({"check", "1"});
    EXPECT_EQ(Mode(data), 0700u);
    for (const char* name : {"网页.htm", "数据.htm"}) {
        EXPECT_FALSE(std::filesystem::is_symlink(data + name)) << name;
        EXPECT_EQ(Mode(data + name), 0600u) << name;
    }
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "untouched");
    std::ifstream copy(data + "网页.htm");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), "<p>secret page</p>");

    // A data folder that is itself a symlink is refused: nothing is written where it points.
    TempDir elsewhere;
    std::filesystem::remove_all(data);
    std::filesystem::create_directory_symlink(elsewhere.path(), home.path() + "data");
    LocalServers::SetPage("/copies.htm", "<p>changed</p>");
    Ok({"check", "1"});
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST_F(OutputSafety, OptionValuesAreNeverTakenForOptionsAndAPasswordCanComeFromStandardInput)
{
    Ok({"items", "add", "--name", "-h", "--category", "4"});
    const ChildResult set = Run({"items", "set", "1", "--password", "-h", "--about", "--json"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(set.out.empty()) << set.out;
    // An option after the command still counts.
    const std::string shown = Ok({"items", "show", "1", "--json", "--show-password"});
    EXPECT_TRUE(Has(shown, R"("MessageTypeName":"-h")")) << shown;
    EXPECT_TRUE(Has(shown, R"("Password":"-h")") && Has(shown, R"("About":"--json")")) << shown;

    const ChildResult piped =
        RunChildWithInput(Command({"items", "set", "1", "--password", "-"}), Environment(), "s3cret word\r\nrest\n");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(Has(Ok({"--json", "--show-password", "items", "show", "1"}), R"("Password":"s3cret word")"));
    EXPECT_TRUE(Has(Ok({"--help"}), "--password -"));
}
