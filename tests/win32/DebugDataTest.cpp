// Lumaro.exe's own debug block, read as the library reads a module's.
#include "DebugBlock.h"
#include "DebugInfo.h"
#include "OptionsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string BuildFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path; // <build>\tests\win32\library_tests.exe
    for (int i = 0; i < 3; ++i)
        p = p.substr(0, p.find_last_of('\\'));
    return p;
}

} // namespace

TEST(ProgramDebugData, LumaroCarriesVersion505WithItsOwnOptions) {
    HMODULE lumaro = LoadLibraryExA((BuildFolder() + "\\app\\Lumaro.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(lumaro, nullptr);
    EXPECT_TRUE(HasDebugData(lumaro));
    const uint8_t* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(ModuleDebugResource(lumaro, data, size));
    TVantorModuleOptions options("", false);
    TDebugData block;
    std::string error;
    ASSERT_TRUE(ReadDebugResource(data, size, options, true, block, error)) << error;
    EXPECT_EQ(block.Version, 505);
    EXPECT_GT(block.CompilationDate, 46000.0) << "compiled after 2025";
    EXPECT_TRUE(PasswordMatches(block, "")) << "written without a password";
    ASSERT_EQ(block.Symbols.size(), 2u);
    EXPECT_EQ(block.Symbols[0].Id, 0);
    EXPECT_EQ(block.Symbols[1].Id, 1);

    // The options are exactly those of the program's options file: 2004 bytes.
    std::ifstream in(LUMARO_SOURCE_DIR "/app/Lumaro.options");
    std::stringstream text;
    text << in.rdbuf();
    std::string expected = OptionsBlockFromFile(text.str());
    TMemoryStream saved;
    options.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes().size(), 2004u);
    EXPECT_EQ(std::string(saved.Bytes().begin(), saved.Bytes().end()), expected);
    EXPECT_EQ(options.SendFlags(), 65);
    EXPECT_EQ(options.DialogFlags(), 159);
    FreeLibrary(lumaro);
}

namespace {

// A copy of a built program in the temporary folder, with bytes appended.
std::string CopyWith(const std::string& from, const std::string& name,
                     const std::string& appended) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string to = std::string(temp) + name;
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE));
    std::ofstream out(to, std::ios::binary | std::ios::app);
    out << appended;
    return to;
}

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

TEST(ProgramDebugData, TheResourceComesFirstThenTheFilesTail) {
    const std::string app = BuildFolder() + "\\app\\";
    const std::string tail = ReadAll(app + "VLDATA-tail.bin");
    ASSERT_FALSE(tail.empty());
    struct Case {
        const char* source;
        const char* copy;
        bool append;
        bool found;
        size_t symbols; // the tail form has none
    };
    const Case cases[] = {
        {"Lumaro.exe", "vl-both.exe", true, true, 2},
        {"LumaroBare.exe", "vl-tail.exe", true, true, 0},
        {"LumaroBare.exe", "vl-none.exe", false, false, 0},
    };
    for (const Case& c : cases) {
        std::string path = CopyWith(app + c.source, c.copy, c.append ? tail : std::string());
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module, nullptr) << path;
        EXPECT_EQ(HasDebugData(module), c.found) << c.copy;
        TVantorModuleOptions options("", false);
        TDebugData data;
        EXPECT_EQ(LoadModuleDebugBlock(module, options, true, data), c.found) << c.copy;
        if (c.found) {
            EXPECT_EQ(data.Version, 505);
            EXPECT_EQ(data.Symbols.size(), c.symbols) << c.copy;
            EXPECT_TRUE(data.HasLineTable);
            EXPECT_GT(data.LineTable.size(), 100000u) << "Lumaro's own line table";
            EXPECT_EQ(options.DialogFlags(), 159);
        }
        FreeLibrary(module);
        DeleteFileA(path.c_str());
    }
}

TEST(ProgramDebugData, TheSystemsLibrariesCarryNoBlock) {
    EXPECT_TRUE(HasDebugData(GetModuleHandleA(nullptr))) << "this program is built with one";
    EXPECT_FALSE(HasDebugData(GetModuleHandleA("kernel32.dll")));
}
