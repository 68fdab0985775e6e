#include "DebugBlock.h"
#include "DebugBlockWriter.h"
#include "LineTableWriter.h"
#include "OptionsBlocks.h"
#include "OptionsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::vector<uint8_t> Saved(const TVantorModuleOptions& o) {
    TMemoryStream s;
    o.SaveToStream(s);
    return s.Bytes();
}

std::vector<uint8_t> LumaroOptions() {
    std::ifstream in(LUMARO_SOURCE_DIR "/app/Lumaro.options");
    std::stringstream text;
    text << in.rdbuf();
    std::string block = OptionsBlockFromFile(text.str());
    return std::vector<uint8_t>(block.begin(), block.end());
}

std::vector<uint8_t> SomeLineTable(uint16_t version, const std::string& password) {
    TNameContext names;
    names.Version = version;
    names.Password = password;
    TLineTableWriter w(names);
    w.BeginUnit("Unit1", 1, 0, 0x40);
    w.OpenProcedure(1, 4, "TForm1.Create");
    w.Record(2, 8);
    return w.Finish();
}

TDebugBlockContent Content(uint16_t version, const std::string& password = "") {
    TDebugBlockContent c;
    c.Version = version;
    c.CompilationDate = 46372.5; // 2026-12-16 12:00 UTC
    c.Symbols = {{0, 0x1234}, {1, 0x5678}};
    c.Options = LumaroOptions();
    c.Password = password;
    c.LineTable = SomeLineTable(version, password);
    return c;
}

} // namespace

TEST(DebugBlock, ResourceOfTheNewestVersionReadsBackWhole) {
    TDebugBlockContent content = Content(505, "pw");
    std::vector<uint8_t> resource = WriteDebugResource(content);
    ASSERT_TRUE(IsDebugResource(resource.data(), resource.size()));
    TVantorModuleOptions options("", false);
    TDebugData data;
    std::string error;
    ASSERT_TRUE(ReadDebugResource(resource.data(), resource.size(), options, true, data, error))
        << error;
    EXPECT_EQ(data.Version, 505);
    EXPECT_EQ(data.CompilationDate, 46372.5);
    ASSERT_EQ(data.Symbols.size(), 2u);
    EXPECT_EQ(data.Symbols[1].Id, 1);
    EXPECT_EQ(data.Symbols[1].Offset, 0x5678u);
    EXPECT_EQ(Saved(options), content.Options) << "the options load to exactly the stored block";
    EXPECT_EQ(content.Options.size(), 2004u);
    ASSERT_TRUE(data.HasLineTable);
    EXPECT_EQ(data.LineTable, content.LineTable);
    EXPECT_TRUE(PasswordMatches(data, "pw"));
    EXPECT_FALSE(PasswordMatches(data, "wrong"));
    EXPECT_FALSE(PasswordMatches(data, ""));

    TDebugData factsOnly;
    ASSERT_TRUE(
        ReadDebugResource(resource.data(), resource.size(), options, false, factsOnly, error));
    EXPECT_FALSE(factsOnly.HasLineTable) << "module facts only: no line data";

    uint32_t address = 0;
    EXPECT_TRUE(FindSymbol(resource.data(), resource.size(), 1, 0x00400000, address));
    EXPECT_EQ(address, 0x00400000u + 0x1000 + 0x5678);
    EXPECT_FALSE(FindSymbol(resource.data(), resource.size(), 7, 0x00400000, address));
}

TEST(DebugBlock, OlderVersionsReadWithTheirOwnLayouts) {
    for (uint16_t version : {449, 450, 499}) {
        test_blocks::TOldBlockValues values;
        values.mailServer = "smtp.old";
        test_blocks::TBlock options = test_blocks::OldBlock(version, values);
        test_blocks::AppendTexts(options, test_blocks::SkippedTexts(version));
        TDebugBlockContent content = Content(version);
        content.Options.assign(options.bytes.begin(), options.bytes.end());
        std::vector<uint8_t> resource = WriteDebugResource(content);
        TVantorModuleOptions loaded("", false);
        TDebugData data;
        std::string error;
        ASSERT_TRUE(ReadDebugResource(resource.data(), resource.size(), loaded, true, data, error))
            << version << ": " << error;
        EXPECT_EQ(data.Version, version);
        EXPECT_EQ(loaded.MailServer(), "smtp.old") << version;
        EXPECT_EQ(loaded.MailBody(), "old body") << version;
        EXPECT_EQ(data.LineTable, content.LineTable) << version;
        EXPECT_FALSE(data.HasPasswordCheck);
        EXPECT_EQ(LastDebugVersion(), version) << "published blocks are read with it";
    }
    SetLastDebugVersion(505);
}

TEST(DebugBlock, FileTailFormReadsFromTheEndOfTheFile) {
    TDebugBlockContent content = Content(505);
    std::vector<uint8_t> file(3000, 0x90); // the module's image
    std::vector<uint8_t> tail = WriteDebugTail(content);
    file.insert(file.end(), tail.begin(), tail.end());
    ASSERT_TRUE(HasDebugTail(file.data(), file.size()));
    EXPECT_FALSE(IsDebugResource(file.data(), file.size()));
    TVantorModuleOptions options("", false);
    TDebugData data;
    std::string error;
    ASSERT_TRUE(ReadDebugTail(file.data(), file.size(), options, true, data, error)) << error;
    EXPECT_EQ(data.Version, 505);
    EXPECT_EQ(Saved(options), content.Options);
    EXPECT_EQ(data.LineTable, content.LineTable);
    EXPECT_TRUE(data.Symbols.empty());
    EXPECT_TRUE(PasswordMatches(data, "anything")) << "the tail form has no password";
}

TEST(DebugBlock, CorruptBlocksFailWithAReasonAndNeverReadPastTheData) {
    std::vector<uint8_t> resource = WriteDebugResource(Content(505));
    std::vector<uint8_t> file(100, 0);
    std::vector<uint8_t> tail = WriteDebugTail(Content(505));
    file.insert(file.end(), tail.begin(), tail.end());
    for (size_t length = 0; length < resource.size(); ++length) {
        TVantorModuleOptions o("", false);
        TDebugData data;
        std::string error;
        if (!ReadDebugResource(resource.data(), length, o, true, data, error)) {
            EXPECT_FALSE(error.empty());
        }
        EXPECT_EQ(o.UpdateDepth(), 0);
    }
    struct Case {
        size_t at;
        uint32_t value;
        const char* error;
    };
    const Case cases[] = {
        {14, 0x7FFFFFF0, "the symbol table is longer than the data"},
        {14 + 4 + 18, 0x7FFFFFF0, "the options are longer than the data"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = resource;
        for (int k = 0; k < 4; ++k)
            bad[c.at + static_cast<size_t>(k)] = static_cast<uint8_t>(c.value >> (8 * k));
        TVantorModuleOptions o("", false);
        TDebugData data;
        std::string error;
        EXPECT_FALSE(ReadDebugResource(bad.data(), bad.size(), o, true, data, error));
        EXPECT_EQ(error, c.error);
    }
    // Options that do not decompress fail the whole load.
    std::vector<uint8_t> badOptions = resource;
    badOptions[14 + 4 + 18 + 4] ^= 0xFF;
    badOptions[14 + 4 + 18 + 5] ^= 0xFF;
    TVantorModuleOptions o("", false);
    TDebugData data;
    std::string error;
    EXPECT_FALSE(ReadDebugResource(badOptions.data(), badOptions.size(), o, true, data, error));
    // A tail whose length points before the file's start.
    std::vector<uint8_t> badTail = file;
    badTail[badTail.size() - 8] = 0xFF;
    badTail[badTail.size() - 5] = 0x7F;
    EXPECT_FALSE(ReadDebugTail(badTail.data(), badTail.size(), o, true, data, error));
    EXPECT_EQ(error, "the block is longer than the file");
}
