#include "OptionsFile.h"
#include "SysUtils.h"
#include "OptionsBlocks.h"
#include "VantorLogOptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {
using namespace test_blocks;

std::string Saved(const TVantorModuleOptions& o) {
    TMemoryStream s;
    o.SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

void LoadBytes(TVantorModuleOptions& o, const std::string& bytes, uint16_t version) {
    TCustomMemoryStream s(bytes.data(), bytes.size());
    o.LoadFromStream(s, version);
}

// Gives every stored option a value unlike its default.
void ChangeEverything(TVantorModuleOptions& o) {
    o.SetMailSender("me@example.org");
    o.SetMailServer("smtp.example.org");
    o.SetMailLogin("login");
    o.SetMailPassword("secret");
    o.SetMailPort(2525);
    o.SetCloseAction(TCloseAction::Terminate);
    o.SetFreezeCheck(true);
    o.SetFreezeSeconds(7);
    o.SetFreezeText("Frozen!");
    TReportItems items;
    items.Bytes = {0x12, 0x34, 0x56, 0x78, 0x9A};
    o.SetReportItems(items);
    o.SetLogActive(true);
    o.SetFiltersActive(false);
    o.SetLogInMailBody(true);
    o.SetCloseButtonVisible(false);
    o.SetSaveLog(false);
    o.SetLogFlags(0x2B);
    o.SetSendFlags(0x3A5);
    o.SetStartTab(3);
    o.SetLogCapacity(99);
    o.SetCloseButtonAfter(8);
    o.SetLogFolder("C:\\Logs");
    o.SetMailRecipients("a@b.c;d@e.f");
    o.SetMailSubject("Subject");
    o.SetMailBody("Body text");
    o.SetMailMethod(TMailMethod::SmtpDirect);
    o.SetWebMethod(TWebMethod::Ftp);
    o.SetExtraFiles("a.txt; b.txt");
    o.SetDialogFlags(0xE1);
    o.SetDialogCloseSeconds(30);
    o.SetSupportAddress("https://support.example.org");
    o.SetHtmlTemplate("<p><%HTML_TAG%></p>");
    o.SetRepeatAction(TCloseAction::Terminate);
    o.SetRepeatLimit(4);
    o.SetRepeatMinutes(6);
    o.SetStackFlags(0x13);
    o.SetBehaviourFlags(0x4F);
    o.SetWebAddress("ftp.example.org/upload");
    o.SetWebServerPort(2121);
    o.SetWebServerPassword("pw");
    o.SetWebServerLogin("user");
    for (int i = 0; i < kTextCount; ++i)
        o.SetText(i, "text #" + std::to_string(i));
    o.FilterClasses().Add("EAccessViolation");
    o.FilterTexts().Add("Please restart.");
}

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(LUMARO_SOURCE_DIR "/") + relative);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(Options, DefaultsAreTheStatedOnes) {
    TVantorModuleOptions o("C:\\App\\prog.exe", false);
    EXPECT_EQ(o.SendFlags(), 81);
    EXPECT_EQ(o.SendFlags(), sfShowSendProgress | sfAttachScreenshot | sfAttachLastPage);
    EXPECT_EQ(o.DialogFlags(), 31);
    EXPECT_EQ(o.DialogFlags() & dfDetailsOpen, 0) << "the short form first";
    EXPECT_EQ(o.LogFlags(), lfModulesSection | lfCpuSection);
    EXPECT_EQ(o.StackFlags(), 15);
    EXPECT_EQ(o.BehaviourFlags(), bfUseMainModuleOptions | bfClipboardOnSendFailure);
    EXPECT_EQ(o.MailPort(), 25);
    EXPECT_EQ(o.MailSender(), "vantorlog@localhost");
    EXPECT_EQ(o.CloseAction(), TCloseAction::Restart);
    EXPECT_EQ(o.RepeatAction(), TCloseAction::Restart);
    EXPECT_EQ(o.FreezeSeconds(), 60);
    EXPECT_EQ(o.FreezeText(), "The application seems to be frozen.");
    EXPECT_EQ(o.LogCapacity(), 32);
    EXPECT_EQ(o.CloseButtonAfter(), 3);
    EXPECT_EQ(o.RepeatLimit(), 10);
    EXPECT_EQ(o.RepeatMinutes(), 1);
    EXPECT_TRUE(o.Enabled());
    EXPECT_TRUE(o.FiltersActive());
    EXPECT_TRUE(o.SaveLog());
    EXPECT_FALSE(o.LogActive());
    EXPECT_FALSE(o.FreezeCheck());
    for (int bit = 0; bit < 40; ++bit)
        EXPECT_TRUE(o.ReportItems().Has(bit)) << bit;
    EXPECT_EQ(o.ModuleFileName(), "C:\\App\\prog.exe");
    EXPECT_EQ(o.UpdateDepth(), 0);

    EXPECT_EQ(o.HtmlTemplate().size(), 299u);
    EXPECT_EQ(o.HtmlTemplate().substr(0, 16), "<html>\r\n  <head>");
    EXPECT_NE(o.HtmlTemplate().find("\r\n            <%HTML_TAG%>\r\n"), std::string::npos);
    EXPECT_EQ(o.HtmlTemplate().substr(o.HtmlTemplate().size() - 9), "\r\n</html>");

    EXPECT_EQ(o.Text(15), "&Terminate");
    EXPECT_EQ(o.Text(95), "Sorry, sending the message didn't work.");
    EXPECT_EQ(o.Text(3), "An error has occurred during program execution.\r\n"
                         "Please read the following information for further details.");
}

TEST(Options, NameTablesForAnOptionsEditor) {
    EXPECT_STREQ(kReportItemNames[0], "Application|Start Date");
    EXPECT_STREQ(kReportItemNames[32], "Network|DHCP");
    EXPECT_STREQ(kTextNames[0].Name, "Texts");
    EXPECT_EQ(kTextNames[0].Level, 0);
    int headings = 0, texts = 0;
    std::vector<bool> seen(kTextCount, false);
    for (const TTextName& n : kTextNames) {
        headings += n.Level == 1;
        if (n.Level == 2) {
            ++texts;
            seen[static_cast<size_t>(n.TextIndex)] = true;
        }
    }
    EXPECT_EQ(headings, 10);
    EXPECT_EQ(texts, 96);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 96) << "every text named once";
    EXPECT_STREQ(kTextNames[1].Name, "Message captions");
    EXPECT_STREQ(kTextNames[4].Name, "Exception Dialog");
    auto netword = std::find_if(kTextNames.begin(), kTextNames.end(),
                                [](const TTextName& n) { return n.TextIndex == 54; });
    EXPECT_STREQ(netword->Name, "Netword");
    EXPECT_STREQ(kDefaultTexts[54], "Network");
}

TEST(Options, LogCapacityZeroIsStoredAsOne) {
    TVantorModuleOptions o("", false);
    o.SetLogCapacity(0);
    EXPECT_EQ(o.LogCapacity(), 1);
    o.SetLogCapacity(5);
    EXPECT_EQ(o.LogCapacity(), 5);
}

TEST(Options, AssignCopiesEveryStoredOptionButEnabledAndModuleName) {
    TVantorModuleOptions source("C:\\source.dll", false);
    ChangeEverything(source);
    source.SetEnabled(false);
    TVantorModuleOptions target("C:\\target.exe", false);
    target.Assign(&source);
    EXPECT_EQ(Saved(target), Saved(source));
    EXPECT_TRUE(target.Enabled());
    EXPECT_EQ(target.ModuleFileName(), "C:\\target.exe");
    EXPECT_EQ(target.FilterClasses()[0], "EAccessViolation");
    EXPECT_EQ(target.UpdateDepth(), 0);

    const std::string before = Saved(target);
    target.Assign(&target);
    EXPECT_EQ(Saved(target), before);
    try {
        target.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Impossible to assign nil as TVantorModuleOptions.");
    }
}

TEST(Options, ResetToDefaultsKeepsTheFilters) {
    TVantorModuleOptions o("", false);
    ChangeEverything(o);
    o.ResetToDefaults();
    EXPECT_EQ(o.FilterClasses().Count(), 1);
    o.FilterClasses().Clear();
    o.FilterTexts().Clear();
    EXPECT_EQ(Saved(o), Saved(TVantorModuleOptions("", false)));
}

TEST(OptionsStream, RoundTripAtTheNewestVersionReproducesEveryField) {
    TVantorModuleOptions source("", false);
    ChangeEverything(source);
    source.FilterClasses().Add("EDivByZero");
    TVantorModuleOptions loaded("C:\\loader.exe", false);
    loaded.SetEnabled(false);
    LoadBytes(loaded, Saved(source), 505);
    EXPECT_EQ(Saved(loaded), Saved(source));
    EXPECT_EQ(loaded.ModuleFileName(), "C:\\loader.exe");
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_EQ(loaded.MailPort(), 2525);
    EXPECT_EQ(loaded.Text(77), "text #77");
    EXPECT_EQ(loaded.UpdateDepth(), 0);
}

TEST(OptionsStream, FiltersAreWrittenAsPairsOfTheLongerList) {
    TVantorModuleOptions o("", false);
    o.FilterClasses().Add("EA");
    o.FilterClasses().Add("EB");
    o.FilterClasses().Add("EC");
    o.FilterTexts().Add("only one");
    TVantorModuleOptions loaded("", false);
    LoadBytes(loaded, Saved(o), 505);
    ASSERT_EQ(loaded.FilterClasses().Count(), 3);
    ASSERT_EQ(loaded.FilterTexts().Count(), 3);
    EXPECT_EQ(loaded.FilterClasses()[2], "EC");
    EXPECT_EQ(loaded.FilterTexts()[0], "only one");
    EXPECT_EQ(loaded.FilterTexts()[1], "");
    EXPECT_EQ(loaded.FilterTexts()[2], "");
}

TEST(OptionsStream, StringsAreMaskedAndLoseOneTrailingLineBreak) {
    struct Case {
        std::string value, stored;
    };
    const Case cases[] = {
        {"", ""},
        {"abc\r\n", "abc"},
        {"\r\n", ""},
        {"a\r\nb\r\n", "a\r\nb\r\n"}, // the first line break is not at the end
        {"abc\r\n\r\n", "abc\r\n\r\n"},
        {"\n", "\n"},
    };
    for (const Case& c : cases) {
        TVantorModuleOptions o("", false);
        o.SetMailSubject(c.value);
        std::string bytes = Saved(o);
        TVantorModuleOptions loaded("", false);
        LoadBytes(loaded, bytes, 505);
        EXPECT_EQ(loaded.MailSubject(), c.stored) << c.value;
        EXPECT_EQ(o.MailSubject(), c.value) << "the option in memory is not changed";
    }
    TVantorModuleOptions o("", false);
    o.SetFreezeText("AB");
    std::string bytes = Saved(o);
    // LogActive .. FreezeSeconds take 11 bytes; then the length and the masked text.
    EXPECT_EQ(bytes.substr(11, 6), std::string("\x02\0\0\0", 4) + "\x7C\x7F");
}

TEST(OptionsStream, OlderVersionsLoadWithTheirConversions) {
    struct Case {
        uint16_t version;
        TOldBlockValues stored;
        uint8_t dialogFlags; // ShowException (bit 0) and OwnLook (bit 7) as loaded
        TMailMethod mailMethod;
        int32_t freezeSeconds; // -1: not stored, the default stays
        uint16_t sendFlags;
    };
    TOldBlockValues server;
    server.mailServer = "smtp.old";
    server.mailMethod = 1;
    TOldBlockValues noServer;
    noServer.mailMethod = 3;
    TOldBlockValues millis;
    millis.freezeSeconds = 5000;
    const Case cases[] = {
        {449, server, (31 & ~1) | 0x80, TMailMethod::SmtpServer, 0, 81}, // 1 inverted: cleared
        {449, noServer, (31 & ~1) | 0x80, TMailMethod::MailClient, 0, 81},
        {420, millis, (31 & ~1) | 0x80, TMailMethod::None, 5, 81},
        {421, millis, (31 & ~1) | 0x80, TMailMethod::None, 5, 81},
        {422, millis, (31 & ~1) | 0x80, TMailMethod::None, 5000, 81},
        {400, TOldBlockValues{}, (31 & ~1), TMailMethod::None, -1, 81}, // no OwnLook byte
        {450, TOldBlockValues{}, 31 | 0x80, TMailMethod::None, 0,
         (81 | sfWholeLog) & ~sfAttachScreenshot},
        {499, server, 31 | 0x80, TMailMethod::MailClient, 0,
         (81 | sfWholeLog) & ~sfAttachScreenshot},
    };
    for (const Case& c : cases) {
        TBlock b = OldBlock(c.version, c.stored);
        AppendTexts(b, SkippedTexts(c.version));
        TVantorModuleOptions o("", false);
        ASSERT_NO_THROW(LoadBytes(o, b.bytes, c.version)) << c.version;
        EXPECT_EQ(o.DialogFlags(), c.dialogFlags) << c.version;
        EXPECT_EQ(o.MailMethod(), c.mailMethod) << c.version;
        EXPECT_EQ(o.FreezeSeconds(), c.freezeSeconds < 0 ? 60 : c.freezeSeconds) << c.version;
        EXPECT_EQ(o.SendFlags(), c.sendFlags) << c.version;
        EXPECT_EQ(o.LogFolder(), "D:\\OldLogs") << c.version;
        EXPECT_EQ(o.MailBody(), "old body") << c.version;
        EXPECT_EQ(o.MailSender(), c.version >= 450 ? "old@sender" : "vantorlog@localhost");
        EXPECT_EQ(o.MailPort(), c.version >= 450 ? 587 : 25) << c.version;
        EXPECT_EQ(o.MailLogin(), c.version > 420 ? "oldlogin" : "") << c.version;
        EXPECT_EQ(o.SaveLog(), c.version <= 400) << "SaveLog is stored after 400";
        EXPECT_EQ(o.StartTab(), c.version > 400 ? 2 : 0) << c.version;
        for (int i : SkippedTexts(c.version))
            EXPECT_EQ(o.Text(i), kDefaultTexts[static_cast<size_t>(i)])
                << c.version << " text " << i;
        EXPECT_EQ(o.Text(0), "old text 0");
        EXPECT_EQ(o.UpdateDepth(), 0);
    }
}

TEST(OptionsStream, OldReportItemsAreRenumbered) {
    TOldBlockValues x;
    // Old bits 0..31 set: 0-3 and 5-19 and 23-26 keep meaning, 4 and 20-22 and 27-31 drop.
    x.items = {0xFF, 0xFF, 0xFF, 0xFF};
    TBlock b = OldBlock(499, x);
    AppendTexts(b, SkippedTexts(499));
    TVantorModuleOptions o("", false);
    TReportItems before;
    before.Bytes = {0, 0, 0, 0, 0x0F}; // old bits 32..35: the fifth byte before the read
    o.SetReportItems(before);
    LoadBytes(o, b.bytes, 499);
    for (int bit = 0; bit <= 22; ++bit)
        EXPECT_TRUE(o.ReportItems().Has(bit)) << bit;
    for (int bit = 23; bit <= 26; ++bit)
        EXPECT_TRUE(o.ReportItems().Has(bit)) << "from the old fifth byte, bit " << bit;
    for (int bit = 27; bit <= 39; ++bit)
        EXPECT_FALSE(o.ReportItems().Has(bit)) << bit;

    x.items = {0x10, 0x00, 0x70, 0x00}; // only old bits 4 and 20..22: none survive
    TBlock c = OldBlock(449, x);
    AppendTexts(c, SkippedTexts(449));
    TVantorModuleOptions p("", false);
    LoadBytes(p, c.bytes, 449);
    for (int bit = 0; bit < 23; ++bit)
        EXPECT_FALSE(p.ReportItems().Has(bit)) << bit;
}

TEST(OptionsStream, EveryTruncationFailsCleanlyAndClosesTheBracket) {
    TVantorModuleOptions source("", false);
    ChangeEverything(source);
    const std::string bytes = Saved(source);
    for (size_t length = 0; length < bytes.size(); ++length) {
        TVantorModuleOptions o("", false);
        EXPECT_THROW(LoadBytes(o, bytes.substr(0, length), 505), EReadError) << length;
        ASSERT_EQ(o.UpdateDepth(), 0) << length;
    }
}

TEST(OptionsStream, ImpossibleLengthsAndCountsAreRefused) {
    TVantorModuleOptions source("", false);
    std::string bytes = Saved(source);
    auto withU32At = [&](size_t at, uint32_t v) {
        std::string b = bytes;
        for (int k = 0; k < 4; ++k)
            b[at + k] = static_cast<char>(v >> (8 * k));
        return b;
    };
    const size_t freezeTextLength = 11;
    for (uint32_t bad : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 100000u}) {
        TVantorModuleOptions o("", false);
        try {
            LoadBytes(o, withU32At(freezeTextLength, bad), 505);
            ADD_FAILURE() << bad;
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find("Invalid string length"), std::string::npos);
        }
        EXPECT_EQ(o.UpdateDepth(), 0);
    }
    // The filter count is followed by MailBody (empty) and the 96 default texts.
    size_t tail = 4 + 4;
    for (int i = 0; i < kTextCount; ++i)
        tail += 4 + std::string(kDefaultTexts[static_cast<size_t>(i)]).size();
    const size_t filterCount = bytes.size() - tail;
    TVantorModuleOptions o("", false);
    EXPECT_THROW(LoadBytes(o, withU32At(filterCount, 0x10000000u), 505), EReadError);
    EXPECT_THROW(LoadBytes(o, withU32At(filterCount, 0xFFFFFFFFu), 505), EReadError);
}

TEST(OptionsStream, AnEmptyStringLoadsAsEmpty) {
    TVantorModuleOptions source("", false);
    source.SetFreezeText("");
    TVantorModuleOptions o("", false);
    LoadBytes(o, Saved(source), 505);
    EXPECT_EQ(o.FreezeText(), "");
}

TEST(OptionsFile, LumaroOptionsGiveTheProgramsBlock) {
    std::string block = OptionsBlockFromFile(ReadSourceFile("app/Lumaro.options"));
    EXPECT_EQ(block.size(), 2004u);
    TVantorModuleOptions o("", false);
    LoadBytes(o, block, 505);
    EXPECT_TRUE(o.LogActive());
    EXPECT_TRUE(o.FiltersActive());
    EXPECT_EQ(o.LogFlags(), 48);
    EXPECT_FALSE(o.LogInMailBody());
    EXPECT_TRUE(o.SaveLog());
    EXPECT_EQ(o.StartTab(), 0);
    EXPECT_FALSE(o.FreezeCheck());
    EXPECT_EQ(o.FreezeSeconds(), 0);
    EXPECT_EQ(o.MailPort(), 25);
    EXPECT_EQ(o.CloseAction(), TCloseAction::Restart);
    EXPECT_TRUE(o.CloseButtonVisible());
    EXPECT_EQ(o.LogCapacity(), 32);
    EXPECT_EQ(o.CloseButtonAfter(), 3);
    EXPECT_EQ(o.MailMethod(), TMailMethod::None);
    EXPECT_EQ(o.ReportItems(), TReportItems{});
    EXPECT_EQ(o.WebMethod(), TWebMethod::None);
    EXPECT_EQ(o.WebServerPort(), 0u);
    EXPECT_EQ(o.SendFlags(), 65);
    EXPECT_EQ(o.DialogFlags(), 159);
    EXPECT_EQ(o.DialogCloseSeconds(), 0);
    EXPECT_EQ(o.StackFlags(), 15);
    EXPECT_EQ(o.BehaviourFlags(), 48);
    EXPECT_EQ(o.RepeatAction(), TCloseAction::Restart);
    EXPECT_EQ(o.RepeatLimit(), 10);
    EXPECT_EQ(o.RepeatMinutes(), 1);
    EXPECT_EQ(o.FilterClasses().Count(), 0);
}

TEST(OptionsFile, NamesOptionsTextsAndFilters) {
    TVantorModuleOptions o("", false);
    o.FilterClasses().Add("EOld");
    o.FilterTexts().Add("old");
    ReadOptionsFile("# comment\n; another\n[Options]\n"
                    "  LogFolder = C:\\Logs  \n"
                    "FreezeText = \"Stuck.\\r\\nWait.\\x21\"\n"
                    "LogFlags = 0x3F\n"
                    "ReportItems = 0x0000000003\n"
                    "Enabled = False\n"
                    "[Texts]\n15 = \"&End\"\n"
                    "[Filters]\nEDivByZero = Division by zero\nEAbort = \"\"\n",
                    o);
    EXPECT_EQ(o.LogFolder(), "C:\\Logs");
    EXPECT_EQ(o.FreezeText(), "Stuck.\r\nWait.!");
    EXPECT_EQ(o.LogFlags(), 0x3F);
    EXPECT_TRUE(o.ReportItems().Has(0));
    EXPECT_TRUE(o.ReportItems().Has(1));
    EXPECT_FALSE(o.ReportItems().Has(2));
    EXPECT_FALSE(o.Enabled());
    EXPECT_EQ(o.Text(15), "&End");
    ASSERT_EQ(o.FilterClasses().Count(), 2) << "the file's filters replace the object's";
    EXPECT_EQ(o.FilterClasses()[0], "EDivByZero");
    EXPECT_EQ(o.FilterTexts()[0], "Division by zero");
    EXPECT_EQ(o.FilterTexts()[1], "");
}

TEST(OptionsFile, MistakesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"LogFlags = 1\n", "line 1: an entry before the first section"},
        {"[Options]\nLogFlag = 1\n", "line 2: unknown option LogFlag"},
        {"[Options]\nLogFlags = 64\n", "line 2: 64 is too large (at most 63)"},
        {"[Options]\nMailPort = 99999\n", "line 2: 99999 is too large (at most 32767)"},
        {"[Options]\nLogCapacity = -1\n", "line 2: \"-1\" is not a number"},
        {"[Options]\nFreezeText = \"open\n", "line 2: the quoted text is not closed"},
        {"[Options]\nFreezeText = \"a\\q\"\n", "line 2: unknown escape \\q"},
        {"[Options]\nFreezeText = \"a\" b\n", "line 2: text after the closing quote"},
        {"[Texts]\n96 = x\n", "line 2: 96 is too large (at most 95)"},
        {"[Colours]\n", "line 1: unknown section [Colours]"},
        {"[Options\n", "line 1: a section name ends with ]"},
        {"[Options]\nno equals sign\n", "line 2: \"name = value\" is expected"},
        {"[Filters]\n = message\n", "line 2: a filter needs a class name"},
    };
    for (const Case& c : cases) {
        TVantorModuleOptions o("", false);
        try {
            ReadOptionsFile(c.text, o);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(o.UpdateDepth(), 0);
    }
}

TEST(Options, LogFileNameFollowsFolderExtensionAndComputerName) {
    struct Case {
        const char* logFolder;
        const char* name;
        bool computerName;
        const char* computer;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Logs", "C:\\App\\prog.exe", false, "", "C:\\Logs\\prog.elf"},
        {"C:\\Logs\\", "C:\\App\\prog.exe", false, "", "C:\\Logs\\prog.elf"},
        {"D:\\x.ELF", "C:\\App\\prog.exe", false, "", "D:\\x.ELF"},
        {"C:\\Logs", "C:\\App\\prog.exe", true, "PC1", "C:\\Logs\\prog_PC1.elf"},
        {"", "C:\\App\\prog.exe", false, "", "C:\\App\\prog.elf"},
        {"", "", false, "", "C:\\Module\\lib.elf"}, // empty: the module's own name
        {"", "C:\\App\\noext", false, "", "C:\\App\\noext.elf"},
        {"", "C:\\App.dir\\prog", false, "", "C:\\App.dir\\prog.elf"},
        {"", "prog.exe", false, "", "prog.elf"}, // no folder: not the drive's root
        {"D:\\x.elf", "C:\\App\\prog.exe", true, "A:B*C?\"<>|/\\", "D:\\x_A_B_C_______.elf"},
    };
    for (const Case& c : cases) {
        TVantorModuleOptions o("C:\\Module\\lib.dll", false);
        o.SetLogFolder(c.logFolder);
        if (c.computerName)
            o.SetLogFlags(o.LogFlags() | lfComputerNameInLogName);
        EXPECT_EQ(o.LogFileName(c.name, c.computer), c.expected) << c.logFolder << " " << c.name;
    }
}

TEST(Options, PublicationBlockName) {
    EXPECT_EQ(PublicationBlockName(0x1A2B, 0x00400000), "00001A2B00400000MODULE");
}
