// What reaches the user's terminal and disk from hostile sources, and how options are read: escape
// sequences in a mail subject are shown, not obeyed; page copies are the user's alone and never
// written through a planted symlink; an option's value is never taken for an option.
#include "CliRunner.h"

#include <filesystem>

using OutputSafety = CliRunner;

TEST_F(OutputSafety, EscapeSequencesInAMailSubjectAreShownNotObeyed)
{
    const std::string hostile = "\x1b]0;owned\x07\x1b[2J\x1b[31mred\xc2\x9b"
                                "1m";
    DeliverMail("1700009001.M1P1.escape", "From: \"\x1b[5mEve\" <eve@example.com>\r\nSubject: " + hostile +
                                              "\r\nTo: tester@example.com\r\n\r\nbody\r\n");
    AddMailItem();
    const std::string check = Ok({"check", "1"});
    const std::string list = Ok({"messages"});
    const std::string id = std::to_string(Number("select max(ID) from userdata where SourceInfo like '%owned%'"));
    const std::string one = Ok({"message", id});
    for (const std::string* text : {&check, &list, &one}) {
        EXPECT_THAT(*text, AllOf(Not(HasSubstr("\x1b")), Not(HasSubstr("\x07")), Not(HasSubstr("\xc2\x9b"))));
    }
    EXPECT_THAT(list, HasSubstr("^[]0;owned^G^[[2J^[[31mred<U+009B>1m"));
    EXPECT_THAT(one, HasSubstr("^[[5mEve"));
    EXPECT_THAT(Ok({"--json", "message", id}), HasSubstr(R"(\u001b]0;owned\u0007\u001b[2J\u001b[31mred\u009b1m)"));
}

TEST_F(OutputSafety, PageCopiesAreTheUsersAloneAndAPlantedSymlinkIsReplacedNotFollowed)
{
    AddItem("网页", "2", SetPage("/copies.htm", "<p>secret page</p>"));
    const std::string data = home.path() + "data/";
    std::filesystem::create_directory(data);
    ::chmod(data.c_str(), 0755);
    const std::string victim = home.path() + "victim.txt";
    std::ofstream(victim) << "untouched";
    std::filesystem::create_symlink(victim, data + "网页.htm");

    Ok({"check", "1"});
    EXPECT_EQ(FileMode(data), 0700u);
    for (const char* name : {"网页.htm", "数据.htm"}) {
        EXPECT_FALSE(std::filesystem::is_symlink(data + name)) << name;
        EXPECT_EQ(FileMode(data + name), 0600u) << name;
    }
    EXPECT_EQ(ReadFile(victim), "untouched");
    EXPECT_EQ(ReadFile(data + "网页.htm"), "<p>secret page</p>");

    // A data folder that is itself a symlink is refused: nothing is written where it points.
    TempDir elsewhere;
    std::filesystem::remove_all(data);
    std::filesystem::create_directory_symlink(elsewhere.path(), home.path() + "data");
    SetPage("/copies.htm", "<p>changed</p>");
    Ok({"check", "1"});
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST_F(OutputSafety, OptionValuesAreNeverTakenForOptionsAndAPasswordCanComeFromStandardInput)
{
    AddItem("-h", "4");
    EXPECT_EQ(Ok({"items", "set", "1", "--password", "-h", "--about", "--json"}), "");
    // An option after the command still counts.
    EXPECT_THAT(Ok({"items", "show", "1", "--json", "--show-password"}),
                AllOf(HasSubstr(R"("MessageTypeName":"-h")"), HasSubstr(R"("Password":"-h")"),
                      HasSubstr(R"("About":"--json")")));

    Ok({"items", "set", "1", "--password", "-"}, {.input = "s3cret word\r\nrest\n"});
    EXPECT_THAT(Ok({"--json", "--show-password", "items", "show", "1"}), HasSubstr(R"("Password":"s3cret word")"));
    EXPECT_THAT(Ok({"--help"}), HasSubstr("--password -"));
}
