// ComponentStream_test.cpp -- every value type read and skipped from hand-built bytes, and the
// stream errors.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "StreamBytes.h"
#include "graphics/ComponentStream.h"
#include "graphics/DxgReader.h"

namespace {

struct ValueCase {
    const char* Name;
    Bytes Value;
    std::function<void(const TValue&)> Check;
};

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}
uint64_t DoubleBits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    return u;
}

std::vector<ValueCase> ValueCases() {
    return {
        {"null", Bytes{0}, [](const TValue& v) { EXPECT_EQ(v.Type, vaNull); }},
        {"list", Bytes{1}.Int8(5).String("a").U8(0),
         [](const TValue& v) {
             ASSERT_EQ(v.List.size(), 2u);
             EXPECT_EQ(v.List[0].Int, 5);
             EXPECT_EQ(v.List[1].Str, "a");
         }},
        {"int8", Bytes{}.Int8(-2), [](const TValue& v) { EXPECT_EQ(v.Int, -2); }},
        {"int16", Bytes{}.Int16(-32768), [](const TValue& v) { EXPECT_EQ(v.Int, -32768); }},
        {"int32", Bytes{}.Int32(-100000), [](const TValue& v) { EXPECT_EQ(v.Int, -100000); }},
        {"extended 1.5", Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F},
         [](const TValue& v) { EXPECT_DOUBLE_EQ(v.Float, 1.5); }},
        {"extended -2", Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0},
         [](const TValue& v) { EXPECT_DOUBLE_EQ(v.Float, -2.0); }},
        {"string", Bytes{}.String("abc"), [](const TValue& v) { EXPECT_EQ(v.Str, "abc"); }},
        {"ident", Bytes{}.Ident("clWhite"),
         [](const TValue& v) {
             EXPECT_EQ(v.Type, vaIdent);
             EXPECT_EQ(v.Str, "clWhite");
         }},
        {"false", Bytes{}.Bool(false), [](const TValue& v) { EXPECT_EQ(v.Int, 0); }},
        {"true", Bytes{}.Bool(true), [](const TValue& v) { EXPECT_EQ(v.Int, 1); }},
        {"binary", Bytes{}.Binary({1, 2, 3}),
         [](const TValue& v) {
             ASSERT_EQ(v.Bytes.size(), 3u);
             EXPECT_EQ(v.Bytes[2], 3);
         }},
        {"set", Bytes{11}.Short("x").Short("yz").U8(0),
         [](const TValue& v) {
             EXPECT_EQ(v.Set, (std::vector<std::string>{"x", "yz"}));
         }},
        {"long string", Bytes{12}.U32(4).Raw("long"),
         [](const TValue& v) { EXPECT_EQ(v.Str, "long"); }},
        {"nil", Bytes{13}, [](const TValue& v) { EXPECT_EQ(v.Type, vaNil); }},
        {"collection", Bytes{14}.Int8(7).U8(1).Prop("Name").String("ab").U8(0).U8(1).U8(0).U8(0),
         [](const TValue& v) {
             ASSERT_EQ(v.Items.size(), 2u);
             EXPECT_TRUE(v.Items[0].HasOrder);
             EXPECT_EQ(v.Items[0].Order, 7);
             ASSERT_EQ(v.Items[0].Properties.size(), 1u);
             EXPECT_EQ(v.Items[0].Properties[0].Name, "Name");
             EXPECT_EQ(v.Items[0].Properties[0].Value.Str, "ab");
             EXPECT_FALSE(v.Items[1].HasOrder);
             EXPECT_TRUE(v.Items[1].Properties.empty());
         }},
        {"single", Bytes{15}.U32(FloatBits(0.25f)),
         [](const TValue& v) { EXPECT_DOUBLE_EQ(v.Float, 0.25); }},
        {"currency", Bytes{16}.U64(12345),
         [](const TValue& v) {
             EXPECT_EQ(v.Int, 12345);
             EXPECT_DOUBLE_EQ(v.Float, 1.2345);
         }},
        {"date", Bytes{17}.U64(DoubleBits(2.5)),
         [](const TValue& v) { EXPECT_DOUBLE_EQ(v.Float, 2.5); }},
        {"wide string", Bytes{18}.U32(4).U16('h').U16(0xE9).U16(0xD83D).U16(0xDE00),
         [](const TValue& v) { EXPECT_EQ(v.Str, "h\xC3\xA9\xF0\x9F\x98\x80"); }},
        {"int64", Bytes{19}.U64(uint64_t(-5)), [](const TValue& v) { EXPECT_EQ(v.Int, -5); }},
        {"utf8 string", Bytes{20}.U32(2).Raw("\xC3\xA9"),
         [](const TValue& v) { EXPECT_EQ(v.Str, "\xC3\xA9"); }},
    };
}

} // namespace

TEST(ComponentStream, EveryValueTypeIsReadAndSkippedToItsEnd) {
    int typesSeen[kValueTypeCount] = {};
    for (const auto& c : ValueCases()) {
        SCOPED_TRACE(c.Name);
        Bytes stream = c.Value;
        stream.U8(0x5A); // what follows the value must be untouched
        TComponentReader reader(stream);
        TValue v = reader.ReadValue();
        EXPECT_EQ(v.Type, c.Value[0]);
        typesSeen[c.Value[0]]++;
        c.Check(v);
        EXPECT_EQ(reader.Position(), c.Value.size());

        TComponentReader skipper(stream);
        skipper.SkipValue();
        EXPECT_EQ(skipper.Position(), c.Value.size());
    }
    for (int t = 0; t < kValueTypeCount; ++t)
        EXPECT_GT(typesSeen[t], 0) << "type " << t;
}

TEST(ComponentStream, TruncatedValuesAreStreamErrors) {
    for (const auto& c : ValueCases()) {
        if (c.Value.size() < 2) continue;
        SCOPED_TRACE(c.Name);
        Bytes cut(c.Value.begin(), c.Value.end() - 1);
        TComponentReader reader(cut);
        try {
            reader.ReadValue();
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), "Invalid stream format");
        }
        TComponentReader skipper(cut);
        EXPECT_THROW(skipper.SkipValue(), EReadError);
    }
}

TEST(ComponentStream, MalformedValuesAreStreamErrors) {
    Bytes deep;
    for (int i = 0; i < TComponentReader::kMaxDepth + 5; ++i)
        deep.U8(vaList);
    for (int i = 0; i < TComponentReader::kMaxDepth + 5; ++i)
        deep.U8(0);
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"unknown type", Bytes{21}},
        {"binary longer than the stream", Bytes{10}.U32(0xFFFFFFFF).U8(1)},
        {"wide string longer than the stream", Bytes{18}.U32(0x80000000).U16('a')},
        {"nesting too deep", deep},
        {"collection item without list marker", Bytes{14}.Int8(1).Prop("Name").U8(0).U8(0)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        TComponentReader reader(bytes);
        EXPECT_THROW(reader.ReadValue(), EReadError);
        TComponentReader skipper(bytes);
        EXPECT_THROW(skipper.SkipValue(), EReadError);
    }
}

TEST(ComponentStream, TypedReadsRejectOtherTypesWithPropertyValueError) {
    using Read = std::function<void(TComponentReader&)>;
    const std::vector<std::tuple<const char*, Bytes, Read>> cases = {
        {"integer from string", Bytes{}.String("1"), [](auto& r) { r.ReadInteger(); }},
        {"integer from int64", Bytes{19}.U64(1), [](auto& r) { r.ReadInteger(); }},
        {"string from ident", Bytes{}.Ident("a"), [](auto& r) { r.ReadString(); }},
        {"string from integer", Bytes{}.Int8(1), [](auto& r) { r.ReadString(); }},
        {"boolean from integer", Bytes{}.Int8(1), [](auto& r) { r.ReadBoolean(); }},
        {"binary from string", Bytes{}.String("a"), [](auto& r) { r.ReadBinary(); }},
        {"ident from string", Bytes{}.String("a"), [](auto& r) { r.ReadIdent(); }},
    };
    for (const auto& [name, bytes, read] : cases) {
        SCOPED_TRACE(name);
        TComponentReader reader(bytes);
        try {
            read(reader);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), "Invalid property value");
        }
    }
}

TEST(ComponentStream, TypedReadsTakeEveryAllowedEncoding) {
    EXPECT_EQ(TComponentReader(Bytes{}.Int8(-1)).ReadInteger(), -1);
    EXPECT_EQ(TComponentReader(Bytes{}.Int16(-300)).ReadInteger(), -300);
    EXPECT_EQ(TComponentReader(Bytes{}.Int32(-70000)).ReadInteger(), -70000);
    EXPECT_EQ(TComponentReader(Bytes{}.String("s")).ReadString(), "s");
    EXPECT_EQ(TComponentReader(Bytes{12}.U32(1).Raw("l")).ReadString(), "l");
    EXPECT_EQ(TComponentReader(Bytes{18}.U32(1).U16('w')).ReadString(), "w");
    EXPECT_EQ(TComponentReader(Bytes{20}.U32(1).Raw("u")).ReadString(), "u");
    EXPECT_TRUE(TComponentReader(Bytes{}.Bool(true)).ReadBoolean());
    EXPECT_FALSE(TComponentReader(Bytes{}.Bool(false)).ReadBoolean());
}

TEST(ComponentStream, UnpairedSurrogatesBecomeReplacementCharacters) {
    Bytes units;
    units.U16(0xDC00).U16('a').U16(0xD800);
    EXPECT_EQ(Utf16ToUtf8(units), "\xEF\xBF\xBD"
                                  "a"
                                  "\xEF\xBF\xBD");
}
