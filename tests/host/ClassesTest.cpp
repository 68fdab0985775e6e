#include "Classes.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

TEST(StringList, ChangeIsAnnouncedOncePerOperationOrBracket) {
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changes;
    };
    list.Add("a");
    list.Insert(0, "b");
    list.Put(1, "c");
    EXPECT_EQ(changes, 3);
    list.BeginUpdate();
    list.Add("d");
    list.Delete(0);
    list.BeginUpdate();
    list.Clear();
    list.EndUpdate();
    EXPECT_EQ(changes, 3);
    list.EndUpdate();
    EXPECT_EQ(changes, 4);
    list.BeginUpdate();
    list.EndUpdate();
    EXPECT_EQ(changes, 4) << "an empty bracket announces nothing";
    EXPECT_THROW(list.Delete(0), EConvertError);
}

TEST(StringList, TextSplitsEveryLineBreakKind) {
    TStringList list;
    list.SetText("one\r\ntwo\nthree\rfour\r\n");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], "four");
    EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
    list.SetText("\r\n\r\nx");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "");
}

TEST(ByteReader, ReadsLittleEndianAndStopsCleanlyAtTheEnd) {
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    TByteReader r(data, sizeof data);
    uint32_t u32 = 0;
    uint16_t u16 = 0;
    uint8_t u8 = 0;
    ASSERT_TRUE(r.ReadU32(u32));
    EXPECT_EQ(u32, 0x04030201u);
    ASSERT_TRUE(r.ReadU16(u16));
    EXPECT_EQ(u16, 0x0605);
    EXPECT_FALSE(r.ReadU16(u16)) << "one byte left";
    EXPECT_EQ(r.Position(), 6u) << "a failed read does not move";
    ASSERT_TRUE(r.ReadU8(u8));
    EXPECT_TRUE(r.AtEnd());
    EXPECT_FALSE(r.ReadU8(u8));
    EXPECT_FALSE(r.Skip(1));
    EXPECT_FALSE(r.Seek(8));
    EXPECT_TRUE(r.Seek(7));
    EXPECT_EQ(r.View(SIZE_MAX), nullptr) << "a huge length is no overflow";
}

TEST(Streams, MemoryStreamGrowsAndReadBufferFailsShort) {
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Size(), 6);
    s.Seek(-2, TSeekOrigin::End);
    char buf[4] = {};
    EXPECT_EQ(s.Read(buf, 4), 2u);
    EXPECT_EQ(std::string(buf, 2), "ef");
    s.Seek(0, TSeekOrigin::Beginning);
    s.ReadBuffer(buf, 4);
    EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);

    const char fixed[] = "xyz";
    TCustomMemoryStream view(fixed, 3);
    EXPECT_EQ(view.Write("q", 1), 0u) << "read-only";
    EXPECT_EQ(view.Seek(10, TSeekOrigin::Beginning), 10);
    EXPECT_EQ(view.Read(buf, 1), 0u);
}
