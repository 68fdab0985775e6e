#include "FormLayout.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

TEST(FormLayout, ParsesEveryKindOfValueAndNesting) {
    TLayoutObject root = ParseFormLayout(R"(# a comment
object Form1: TForm1
  Left = 573
  Font.Height = -11
  Caption = "Say \"hi\" \\ bye"
  Color = clBtnFace
  Font.Style = [fsBold, fsItalic]
  Empty = []
  object Memo1: TMemo
    Lines = (
      "one"
      "two")
    object Inner: TPanel
    end
  end
end
)");
    EXPECT_EQ(root.Name, "Form1");
    EXPECT_EQ(root.ClassName, "TForm1");
    ASSERT_EQ(root.Properties.size(), 6u);
    EXPECT_EQ(LayoutInteger(root.Properties[0]), 573);
    EXPECT_EQ(root.Properties[1].Name, "Font.Height");
    EXPECT_EQ(LayoutInteger(root.Properties[1]), -11);
    EXPECT_EQ(LayoutString(root.Properties[2]), "Say \"hi\" \\ bye");
    EXPECT_EQ(LayoutIdentifier(root.Properties[3]), "clBtnFace");
    EXPECT_EQ(LayoutSet(root.Properties[4]), (std::vector<std::string>{"fsBold", "fsItalic"}));
    EXPECT_TRUE(LayoutSet(root.Properties[5]).empty());
    ASSERT_EQ(root.Children.size(), 1u);
    const TLayoutObject& memo = root.Children[0];
    EXPECT_EQ(LayoutStringList(memo.Properties[0]), (std::vector<std::string>{"one", "two"}));
    ASSERT_EQ(memo.Children.size(), 1u);
    EXPECT_EQ(memo.Children[0].ClassName, "TPanel");
    EXPECT_EQ(memo.Children[0].Line, 13);
}

TEST(FormLayout, MalformedTextFailsNamingTheLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "line 1: the layout is empty"},
        {"object A: TA\n  Left = \n end\n", "line 2: a value is expected"},
        {"object A: TA\n  Left 5\nend\n", "line 2: \"=\" is expected after Left"},
        {"object A: TA\n  Caption = \"open\nend\n", "line 2: the string is not closed"},
        {"object A: TA\n  Left = 99999999999\nend\n", "line 2: the number is too large"},
        {"object A: TA\n  Left = 12px\nend\n", "line 2: a number must not run into a name"},
        {"object A: TA\n  object B: TB\nend\n", "line 1: object A has no \"end\""},
        {"object A TA\nend\n", "line 1: \":\" is expected after the object name"},
        {"object A: TA\nend\nend\n", "line 3: text after the end of the root object"},
        {"object A: TA\n  S = [a b]\nend\n", "line 2: \",\" or \"]\" is expected in a set"},
        {"object A: TA\n  L = (\"a\" 5)\nend\n", "line 2: a string is expected in the list"},
        {"object A: TA\n  L = (\"a\"\n", "line 2: \")\" is expected to close the list"},
        {"object A: TA\n  C = \"a\\n\"\nend\n",
         "line 2: only \\\" and \\\\ may follow a backslash"},
    };
    for (const Case& c : cases) {
        try {
            ParseFormLayout(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.text;
        }
    }
}

TEST(FormLayout, DeepNestingIsRefused) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "object A" + std::to_string(i) + ": TA\n";
    for (int i = 0; i < 40; ++i)
        text += "end\n";
    EXPECT_THROW(ParseFormLayout(text), EReadError);
}

TEST(FormLayout, TypedAccessNamesPropertyAndLine) {
    TLayoutObject root = ParseFormLayout("object A: TA\n  Left = \"x\"\n  Active = Maybe\nend\n");
    try {
        LayoutInteger(root.Properties[0]);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "line 2: property Left: an integer expected");
    }
    EXPECT_THROW(LayoutBoolean(root.Properties[1]), EReadError);
}

TEST(FormLayout, MainWindowLayoutHasTheStoredValues) {
    std::ifstream in(LUMARO_SOURCE_DIR "/resources/Unit1.layout");
    std::stringstream text;
    text << in.rdbuf();
    TLayoutObject root = ParseFormLayout(text.str());
    EXPECT_EQ(root.ClassName, "TForm1");
    ASSERT_EQ(root.Children.size(), 27u);
    for (int n = 1; n <= 26; ++n) {
        const TLayoutObject& led = root.Children[static_cast<size_t>(n - 1)];
        EXPECT_EQ(led.Name, "LmLED" + std::to_string(n));
        EXPECT_EQ(led.ClassName, "TLmLED");
        ASSERT_EQ(led.Properties.size(), 4u);
        EXPECT_EQ(LayoutInteger(led.Properties[0]), 8 * n);
        EXPECT_EQ(LayoutInteger(led.Properties[1]), 8);
        EXPECT_TRUE(LayoutBoolean(led.Properties[2]));
        EXPECT_EQ(LayoutInteger(led.Properties[3]), 200);
    }
    const TLayoutObject& memo = root.Children[26];
    EXPECT_EQ(memo.Name, "Memo1");
    bool sawLines = false;
    for (const auto& p : memo.Properties)
        if (p.Name == "Lines") {
            EXPECT_EQ(LayoutStringList(p).size(), 5u);
            sawLines = true;
        }
    EXPECT_TRUE(sawLines);
}
