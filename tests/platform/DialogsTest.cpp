// Message boxes without a display, the text conversions at the platform's edge, and the
// command line as one line.
#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

TEST(MessageBoxes, WithoutADisplayTheDefaultButtonAnswers)
{
    ASSERT_FALSE(plat::CanShowMessageBoxes()); // tests run with the dummy video driver
    struct Case {
        uint32_t flags;
        int answer;
    } cases[] = {
        {plat::MB_OK | plat::MB_ICONERROR, plat::IDOK},
        {plat::MB_OKCANCEL, plat::IDOK},
        {plat::MB_OKCANCEL | plat::MB_DEFBUTTON2, plat::IDCANCEL},
        {plat::MB_YESNO | plat::MB_ICONQUESTION, plat::IDYES},
        {plat::MB_YESNO | plat::MB_DEFBUTTON2, plat::IDNO},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::MessageBox("text", "caption", c.flags), c.answer) << c.flags;
}

TEST(TextEdge, Windows1252AndUtf8)
{
    struct Case {
        std::string narrow;
        std::string utf8;
    } cases[] = {
        {"plain", "plain"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 \x99", "\xE2\x82\xAC \xE2\x84\xA2"},
        {"\xFF", "\xC3\xBF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plat::Cp1252ToUtf8(c.narrow), c.utf8) << c.narrow;
        EXPECT_EQ(plat::Utf8ToCp1252(c.utf8), c.narrow) << c.narrow;
    }
    // What the narrow text cannot hold, and broken sequences, become '?'.
    EXPECT_EQ(plat::Utf8ToCp1252("\xE4\xB8\xAD!"), "?!");
    EXPECT_EQ(plat::Utf8ToCp1252("a\xC3"), "a?");
    EXPECT_EQ(plat::Utf8ToCp1252("\xC3(x"), "?(x");
    EXPECT_EQ(plat::Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");
}

TEST(CommandLineText, ArgumentsAreJoinedAndQuoted)
{
    const char* argv[] = {"/opt/the game/run", "-play", "-demofile=my file.dmo", ""};
    plat::SetCommandLine(4, argv);
    EXPECT_EQ(plat::GetCommandLine(),
              "\"/opt/the game/run\" -play \"-demofile=my file.dmo\" \"\"");
}
