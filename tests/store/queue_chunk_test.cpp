// The kept queue's rows: every list of addresses comes back as it went in, whatever bytes and lengths it holds,
// a row begun after Clear stands alone, and a damaged row stops the reading instead of reading past its end.

#include "store/write/queue_chunk.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::store {
namespace {

using Entries = std::vector<std::string>;

Entries ReadAll(std::string_view bytes, bool& atEnd) {
    ChunkReader reader(bytes);
    Entries entries;
    std::string_view entry;
    while (reader.Next(entry)) {
        entries.emplace_back(entry);
    }
    atEnd = reader.AtEnd();
    return entries;
}

std::string Written(const Entries& entries) {
    ChunkWriter writer;
    for (const std::string& entry : entries) {
        writer.Add(entry);
    }
    return writer.Bytes();
}

struct RoundTrip {
    const char* name;
    Entries entries;
};

class ChunkRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ChunkRoundTrip, ReadsBackEveryEntryInOrder) {
    bool atEnd = false;
    EXPECT_EQ(ReadAll(Written(GetParam().entries), atEnd), GetParam().entries);
    EXPECT_TRUE(atEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ChunkRoundTrip,
    ::testing::Values(
        RoundTrip{"None", {}},
        RoundTrip{"SharedPrefixes",
                  {"http://a.test/one", "http://a.test/two", "http://a.test/two/deeper", "http://b.test/"}},
        RoundTrip{"AnEntryThatIsAPrefixOfTheOneBefore", {"http://a.test/abc", "http://a.test/a", "http://a.test/"}},
        RoundTrip{"TheSameEntryTwice", {"http://a.test/", "http://a.test/"}},
        RoundTrip{"EmptyEntries", {"", "x", "", ""}},
        RoundTrip{"AnyByte", {std::string("\0\x80\xff", 3), std::string("\0\x80\xfe\n", 4), std::string(1, '\0')}},
        // Lengths of one, two and three bytes, and a shared prefix as long.
        RoundTrip{"LongEntries",
                  {std::string(127, 'a'), std::string(128, 'a'), std::string(20000, 'a') + "b",
                   std::string(20000, 'a') + "c"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkWriter, ARowBegunAfterClearIsReadAlone) {
    ChunkWriter writer;
    writer.Add("http://a.test/first/row");
    writer.Clear();
    writer.Add("http://a.test/first/other");
    writer.Add("http://a.test/second");
    bool atEnd = false;
    EXPECT_EQ(ReadAll(writer.Bytes(), atEnd), (Entries{"http://a.test/first/other", "http://a.test/second"}));
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(writer.Bytes(), Written({"http://a.test/first/other", "http://a.test/second"}));
}

struct Damage {
    const char* name;
    std::string bytes;
    /// What is read before the damage.
    Entries before;
};

class DamagedChunk : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedChunk, StopsAtTheDamageAndSaysTheRowWasNotReadWhole) {
    bool atEnd = true;
    EXPECT_EQ(ReadAll(GetParam().bytes, atEnd), GetParam().before);
    EXPECT_FALSE(atEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedChunk,
    ::testing::Values(Damage{"SharesMoreThanTheEntryBeforeHas",
                             std::string("\x00\x02"
                                         "ab"
                                         "\x03\x01"
                                         "c",
                                         7),
                             {"ab"}},
                      Damage{"SharesWithNoEntryBefore",
                             std::string("\x01\x01"
                                         "a",
                                         3),
                             {}},
                      Damage{"LongerThanTheRowLeft",
                             std::string("\x00\x05"
                                         "ab",
                                         4),
                             {}},
                      Damage{"ALengthCutShort",
                             std::string("\x00\x01"
                                         "a"
                                         "\x00\x80",
                                         5),
                             {"a"}},
                      Damage{"NoLengthAfterTheShare",
                             std::string("\x00\x01"
                                         "a"
                                         "\x00",
                                         4),
                             {"a"}},
                      Damage{"ANumberThatNeverEnds", std::string(1, '\0') + std::string(12, '\xff'), {}},
                      // A length of 2^63 and more would wrap a sum of it with the position read.
                      Damage{"AHugeLength",
                             std::string("\x00\xff\xff\xff\xff\xff\xff\xff\xff\x7f"
                                         "a",
                                         11),
                             {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vortaxel::store
