#include "Base64.h"
#include "Cipher.h"
#include "LineTable.h"
#include "LineTableWriter.h"
#include "NameCipher.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list)
        v.push_back(static_cast<uint8_t>(b));
    return v;
}

std::vector<uint8_t> Enciphered(const std::string& text, const std::string& password = "") {
    CipherUsePassword(password);
    std::vector<uint8_t> out(text.begin(), text.end());
    CipherEncrypt(out.data(), out.data(), out.size());
    return out;
}

constexpr uint32_t kBase = 0x00400000;

TLineLookup Lookup(uint16_t version, bool readable = true, const std::string& password = "") {
    TLineLookup l;
    l.Names.Version = version;
    l.Names.NamesReadable = readable;
    l.Names.Password = password;
    l.ModuleBase = kBase;
    // Code at even offsets starts with the 55 8B EC frame; odd ones do not.
    l.ReadCode = [](uint32_t address, uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i)
            bytes[i] = (address % 2 == 0) ? "\x55\x8B\xEC"[i % 3] : 0x90;
        return true;
    };
    return l;
}

uint32_t At(uint32_t offset) {
    return kBase + 0x1000 + offset;
}

} // namespace

TEST(LineRecords, TheStatedFormsDecode) {
    struct Case {
        uint16_t version;
        std::vector<uint8_t> bytes;
        int32_t line;
        uint32_t address;
        bool opens;
        const char* name;
        size_t consumed;
    };
    std::vector<uint8_t> opensNamed = Bytes({0x01, 0x01, 'X' ^ 0x3D});
    std::vector<uint8_t> escape = Bytes({0xEB, 0xFF, 0xEF, 0xFF, 0x04, 0x00, 0x09, 0x00});
    const Case cases[] = {
        {505, Bytes({0xFE}), 4, 32, false, "", 1},
        {499, opensNamed, 1, 1, true, "X", 3},
        {505, Bytes({0x13, 0x08}), 2, 2, false, "", 2},
        {505, Bytes({0xEB, 0xFF, 0x2F, 0x00}), -1, 3, false, "", 4},
        {505, Bytes({0x0B, 0x00, 0xF0, 0xFF}), 1, 0, false, "", 4}, // address field 0xFFF: step 0
        {423, escape, 5, 10, false, "", 8},     // escape: two 16-bit steps follow
        {422, escape, -1, 0xFFF, false, "", 4}, // before 423: an ordinary record
    };
    for (const Case& c : cases) {
        TByteReader r(c.bytes.data(), c.bytes.size());
        TNameContext names;
        names.Version = c.version;
        TLineRecord rec;
        ASSERT_TRUE(ReadLineRecord(r, names, rec)) << c.version;
        EXPECT_EQ(rec.LineStep, c.line);
        EXPECT_EQ(rec.AddressStep, c.address);
        EXPECT_EQ(rec.OpensProcedure, c.opens);
        EXPECT_EQ(rec.ProcedureName, c.name);
        EXPECT_EQ(r.Position(), c.consumed);
    }
}

TEST(StoredNames, ContinuedNamesFromVersion502) {
    std::vector<uint8_t> data = {0x85};
    for (uint8_t b : Enciphered("Class"))
        data.push_back(b);
    data.push_back(0x01);
    for (uint8_t b : Enciphered("P"))
        data.push_back(b);
    TByteReader r(data.data(), data.size());
    TNameContext names;
    names.Version = 502;
    std::string name;
    ASSERT_TRUE(ReadStoredName(r, names, name));
    EXPECT_EQ(name, "Class.P");
    EXPECT_TRUE(r.AtEnd());
    // Before 502 the same length byte is a plain 133-byte name: the data is too short.
    TByteReader old(data.data(), data.size());
    names.Version = 501;
    EXPECT_FALSE(ReadStoredName(old, names, name));
}

TEST(StoredNames, WrongPasswordShowsBase64AndTruncatedDataFails) {
    std::vector<uint8_t> stored = Enciphered("Secret", "right");
    std::vector<uint8_t> data = {static_cast<uint8_t>(stored.size())};
    data.insert(data.end(), stored.begin(), stored.end());
    TNameContext names;
    names.NamesReadable = false;
    TByteReader r(data.data(), data.size());
    std::string name;
    ASSERT_TRUE(ReadStoredName(r, names, name));
    EXPECT_EQ(name, "?" + EncodeBlock(stored.data(), stored.size()));
    names.NamesReadable = true;
    names.Password = "right";
    TByteReader again(data.data(), data.size());
    ASSERT_TRUE(ReadStoredName(again, names, name));
    EXPECT_EQ(name, "Secret");
    // A continued chain longer than the cap stays within 255 characters.
    std::vector<uint8_t> chain;
    for (int i = 0; i < 200; ++i) {
        chain.push_back(0x82);
        for (uint8_t b : Enciphered("ab"))
            chain.push_back(b);
    }
    chain.push_back(0);
    TByteReader capped(chain.data(), chain.size());
    names.Password = "";
    ASSERT_TRUE(ReadStoredName(capped, names, name));
    EXPECT_EQ(name.size(), 255u);
    EXPECT_TRUE(capped.AtEnd()) << "the whole chain is consumed";
}

class LineTableLookup : public ::testing::Test {
protected:
    // Unit1 at offset 0x100, 0x60 bytes: three procedures; Unit2 at 0x200.
    std::vector<uint8_t> Table(uint16_t version, const std::string& password = "") {
        TNameContext names;
        names.Version = version;
        names.Password = password;
        TLineTableWriter w(names);
        w.BeginUnit("Unit1", 10, 0x100, 0x60);
        w.OpenProcedure(2, 0x10, "TForm1.FormCreate"); // line 12 at 0x110
        w.Record(1, 0x08);                             // line 13 at 0x118
        w.Record(3, 0x08);                             // line 16 at 0x120
        w.OpenProcedure(4, 0x10, ".Button1Click");     // line 20 at 0x130, class kept
        w.Record(1, 0x10);                             // line 21 at 0x140
        w.OpenProcedure(9, 0x01, "@Helper");           // line 30 at 0x141 (odd: no frame)
        w.BeginUnit("Setup", 1, 0x200, 0x40);
        w.OpenProcedure(1, 0x02, "Initialization"); // line 2 at 0x202 (even)
        w.Record(2, 0x0E);                          // line 4 at 0x210
        w.OpenProcedure(6, 0x10, "Finalization");   // line 10 at 0x220 (even)
        return w.Finish();
    }

    TLineInfo Resolve(const std::vector<uint8_t>& table, const TLineLookup& lookup,
                      uint32_t offset) {
        TLineInfo info;
        EXPECT_TRUE(FindLineInfo(table.data(), table.size(), lookup, At(offset), info))
            << std::hex << offset;
        return info;
    }
};

TEST_F(LineTableLookup, AddressesResolveToUnitClassProcedureAndLine) {
    const auto table = Table(505);
    const TLineLookup lookup = Lookup(505);
    struct Case {
        uint32_t offset;
        const char* unit;
        const char* cls;
        const char* procedure;
        int line;
        int lineOffset;
    };
    const Case cases[] = {
        {0x100, "Unit1.cpp", "TForm1", "FormCreate", 10, 0}, // before the first record's step
        {0x10F, "Unit1.cpp", "TForm1", "FormCreate", 10, 0},
        {0x110, "Unit1.cpp", "TForm1", "FormCreate", 12, 0}, // first line of the procedure
        {0x11F, "Unit1.cpp", "TForm1", "FormCreate", 13, 1},
        // The stretch before a new procedure is tested once that procedure has opened: its
        // class and first line are in force already (offset below 0 becomes 0), its name not yet.
        {0x125, "Unit1.cpp", "TForm1", "FormCreate", 16, 0},
        {0x130, "Unit1.cpp", "TForm1", "Button1Click", 20, 0}, // ".Name" keeps the class
        {0x140, "Unit1.cpp", "", "Button1Click", 21, 0},
        {0x141, "Unit1.cpp", "", "_Helper", 30, 1},       // odd address: no frame, first lowered
        {0x15F, "Unit1.cpp", "", "_Helper", 30, 1},       // the last stretch of the unit
        {0x203, "Setup.cpp", "", "Initialization", 2, 0}, // never lowered
        {0x220, "Setup.cpp", "", "Finalization", 10, 1},  // always lowered
        {0x23F, "Setup.cpp", "", "Finalization", 10, 1},
    };
    for (const Case& c : cases) {
        TLineInfo info = Resolve(table, lookup, c.offset);
        EXPECT_EQ(info.Address, At(c.offset));
        EXPECT_EQ(info.UnitName, c.unit) << std::hex << c.offset;
        EXPECT_EQ(info.ClassName, c.cls) << std::hex << c.offset;
        EXPECT_EQ(info.ProcedureName, c.procedure) << std::hex << c.offset;
        EXPECT_EQ(info.Line, c.line) << std::hex << c.offset;
        EXPECT_EQ(info.LineOffset, c.lineOffset) << std::hex << c.offset;
    }
    TLineInfo none;
    EXPECT_FALSE(FindLineInfo(table.data(), table.size(), lookup, At(0xFF), none));
    EXPECT_FALSE(FindLineInfo(table.data(), table.size(), lookup, At(0x160), none));
    EXPECT_FALSE(FindLineInfo(table.data(), table.size(), lookup, At(0x240), none));
}

TEST_F(LineTableLookup, AWrongPasswordStillResolvesLinesWithUnreadableNames) {
    const auto table = Table(505, "module secret");
    TLineInfo info = Resolve(table, Lookup(505, false, ""), 0x118);
    EXPECT_EQ(info.Line, 13);
    EXPECT_EQ(info.UnitName.substr(0, 2), "?p") << "a \"p\" as the second character";
    EXPECT_EQ(info.ProcedureName.substr(0, 1), "?");
    TLineInfo right = Resolve(table, Lookup(505, true, "module secret"), 0x118);
    EXPECT_EQ(right.UnitName, "Unit1.cpp");
    EXPECT_EQ(right.ProcedureName, "FormCreate");
}

TEST_F(LineTableLookup, OlderVersionsMaskNamesAndSkipTheirPrefix) {
    auto table = Table(499);
    // Versions 405 to 499 begin with a skipped block.
    std::vector<uint8_t> prefixed = {3, 0, 0, 0, 9, 9, 9};
    prefixed.insert(prefixed.end(), table.begin(), table.end());
    TLineInfo info = Resolve(prefixed, Lookup(499), 0x118);
    EXPECT_EQ(info.UnitName, "Unit1.cpp");
    EXPECT_EQ(info.ProcedureName, "FormCreate");
    auto plain = Table(404);
    EXPECT_EQ(Resolve(plain, Lookup(404), 0x118).Line, 13);
}

TEST_F(LineTableLookup, EveryTruncationAndCorruptionFailsCleanly) {
    const auto table = Table(505);
    const TLineLookup lookup = Lookup(505);
    for (size_t length = 0; length < table.size(); ++length) {
        TLineInfo info;
        FindLineInfo(table.data(), length, lookup, At(0x15F), info); // must not read past length
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        auto bad = table;
        for (int k = 0; k < 3; ++k)
            bad[random() % bad.size()] = static_cast<uint8_t>(random());
        TLineInfo info;
        FindLineInfo(bad.data(), bad.size(), lookup, At(random() % 0x300), info);
    }
    std::vector<uint8_t> hugeCount = {0xFF, 0xFF, 0xFF, 0x7F};
    TLineInfo info;
    EXPECT_FALSE(FindLineInfo(hugeCount.data(), hugeCount.size(), lookup, At(0), info));
}

TEST(LineTableWriter, EveryStepIsWrittenInAFormThatReadsBack) {
    TNameContext names;
    struct Step {
        int32_t line;
        uint32_t address;
        bool opens;
        size_t size;
    };
    const Step steps[] = {
        {1, 1, false, 1}, {4, 32, false, 1},      {1, 1, true, 1 + 2},      {8, 8, true, 1 + 2},
        {5, 1, false, 2}, {32, 128, true, 2 + 2}, {0, 5, false, 4},         {-1, 3, false, 4},
        {2, 0, false, 4}, {-1, 0xFFF, false, 8},  {100, 0x10000, false, 8}, {-32768, 7, false, 4},
    };
    TLineTableWriter w(names);
    const std::string name = "P";
    for (const Step& s : steps) {
        std::vector<uint8_t> bytes = w.EncodeRecord(s.line, s.address, s.opens ? &name : nullptr);
        EXPECT_EQ(bytes.size(), s.size) << s.line << " " << s.address;
        TByteReader r(bytes.data(), bytes.size());
        TLineRecord rec;
        ASSERT_TRUE(ReadLineRecord(r, names, rec));
        EXPECT_EQ(rec.LineStep, s.line);
        EXPECT_EQ(rec.AddressStep, s.address);
        EXPECT_EQ(rec.OpensProcedure, s.opens);
        EXPECT_TRUE(r.AtEnd());
    }
    // Long names go in continued parts cut at their dots.
    std::string longName = std::string(100, 'C') + "." + std::string(100, 'p');
    std::vector<uint8_t> stored = EncodeStoredName(longName, names);
    TByteReader r(stored.data(), stored.size());
    std::string back;
    ASSERT_TRUE(ReadStoredName(r, names, back));
    EXPECT_EQ(back, longName);
    // A class too long for one part is cut; its procedure stays.
    stored = EncodeStoredName(std::string(300, 'C') + ".Procedure", names);
    TByteReader cut(stored.data(), stored.size());
    ASSERT_TRUE(ReadStoredName(cut, names, back));
    EXPECT_EQ(back, std::string(127, 'C') + ".Procedure");
}
