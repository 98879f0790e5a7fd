#include "crawl/page/page_reader.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using test::PrintTo;
using text::Zone;

struct Block {
    Zone zone;
    std::string text;
    bool operator==(const Block&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Block& block) {
    constexpr const char* kNames[] = {"Title", "H1", "Heading", "Description", "ImageAlt", "Body", "Anchor", "Slug"};
    return out << kNames[static_cast<int>(block.zone)] << " \"" << block.text << "\"";
}

std::vector<Block> BlocksOf(const PageRead& read) {
    std::vector<Block> blocks;
    for (const text::TextBlock& block : read.text) {
        blocks.push_back({block.zone, block.text});
    }
    return blocks;
}

struct BlocksRow {
    std::string name;
    std::string page;
    std::vector<Block> expected;
};

const BlocksRow kBlocks[] = {
    {"Empty", "", {}},
    {"BlocksBreakInlineElementsDoNot",
     "<p>one <b>t</b>wo</p><div>th<a href=x>r</a>ee <em>four</em></div><ul><li>five<li>six</ul>"
     "<span>se<code>ven</code></span>",
     {{Zone::Body, "one two"},
      {Zone::Body, "three four"},
      {Zone::Body, "five"},
      {Zone::Body, "six"},
      {Zone::Body, "seven"}}},
    {"LineBreaksRulesCellsAndButtons",
     "a<br>b<hr>c<table><tr><td>d<td>e</table>f<button>Go</button><label>g</label>h",
     {{Zone::Body, "a"},
      {Zone::Body, "b"},
      {Zone::Body, "c"},
      {Zone::Body, "d"},
      {Zone::Body, "e"},
      {Zone::Body, "f"},
      {Zone::Body, "Go"},
      {Zone::Body, "gh"}}},
    {"ZonesInDocumentOrder",
     R"(<head><title>The Title</title><meta name="description" content=" A  page. ">)"
     R"(<meta name="keywords" content="k"></head><body><h1>Top <a href=x>link</a></h1>)"
     R"(<p>Body</p><h3>Sub<div>part</div></h3><h6>Last</h6>tail)",
     {{Zone::Title, "The Title"},
      {Zone::Description, "A page."},
      {Zone::H1, "Top link"},
      {Zone::Body, "Body"},
      {Zone::Heading, "Sub"},
      {Zone::Heading, "part"},
      {Zone::Heading, "Last"},
      {Zone::Body, "tail"}}},
    {"OnlyTheFirstTitleAndDescription",
     R"(<title>One</title><title>Two</title><meta name=description content=d1><meta name=description content=d2>)",
     {{Zone::Title, "One"}, {Zone::Description, "d1"}}},
    {"HeadingEndsAtAnyHeading",
     "<h1>Top<h2>Sub</h2>after",
     {{Zone::H1, "Top"}, {Zone::Heading, "Sub"}, {Zone::Body, "after"}}},
    {"ImageAltIsABlockOfItsOwn",
     R"(<p>Click <img src=i.png alt=" the  icon "> here<img src=j.png alt=""><img src=k.png></p>)",
     {{Zone::Body, "Click"}, {Zone::ImageAlt, "the icon"}, {Zone::Body, "here"}}},
    {"HiddenTextStaysOut",
     "a<script>s1</script>b<style>s2</style>c<template>t<p>t2</template>d<noscript>n</noscript>e"
     "<select><option>o1<option>o2</select><textarea>v</textarea><datalist><option>o3</datalist>"
     "<xmp>x</xmp><iframe>i</iframe><noembed>m</noembed>f",
     {{Zone::Body, "abcde"}, {Zone::Body, "f"}}},
    {"SvgTextStaysOutForeignObjectCounts",
     "<p>Go <svg><title>icon</title><desc>d</desc><text>label</text>"
     "<foreignObject><span>inner</span></foreignObject></svg>on</p><math><mi>x</mi></math>",
     {{Zone::Body, "Go inneron"}, {Zone::Body, "x"}}},
    {"ReferencesDecodedNothingElseChanged",
     "<p>Caf&eacute; &amp; B&#x41;R &lt;b&gt; CMAKE_FIND apt-get &bogus;</p><title>A&amp;B</title>",
     {{Zone::Body, "Caf\xC3\xA9 & BAR <b> CMAKE_FIND apt-get &bogus;"}, {Zone::Title, "A&B"}}},
    {"WhiteSpaceCollapsedNoBreakSpaceKept",
     "<p>\n\t one \r\n\f two  </p><p> a&nbsp;b \xC2\xA0 c&#32;&#9;d</p><p> \n </p><p>&nbsp;</p>",
     {{Zone::Body, "one two"},
      {Zone::Body, "a\xC2\xA0"
                   "b \xC2\xA0 c d"},
      {Zone::Body, "\xC2\xA0"}}},
    {"TextAcrossInlineTagsKeepsItsBlanks",
     "<p>one<b> two </b>three <i>four</i></p>",
     {{Zone::Body, "one two three four"}}},
    {"FramesetPageHasNoBodyText", "<frameset><frame src=a.html><noframes>none</noframes></frameset>", {}},
};

class TextBlocksTable : public ::testing::TestWithParam<BlocksRow> {};

TEST_P(TextBlocksTable, Page) {
    EXPECT_EQ(BlocksOf(ReadPage(GetParam().page)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, TextBlocksTable, ::testing::ValuesIn(kBlocks), test::RowName());

std::size_t TotalBytes(const PageRead& read) {
    std::size_t bytes = 0;
    for (const text::TextBlock& block : read.text) {
        bytes += block.text.size();
    }
    return bytes;
}

struct BoundRow {
    std::string name;
    std::string page;
    std::size_t bytes;
    std::size_t blocks;
    std::vector<Block> expected;
};

// The bounds fall where a character starts, never inside one, and text past them is not kept.
const BoundRow kBounds[] = {
    {"CutBeforeATwoByteCharacter", "<p>ab\xC3\xA9</p><p>more</p>", 3, 10, {{Zone::Body, "ab"}}},
    {"CutAfterAWholeCharacter", "<p>a\xC3\xA9z</p>", 3, 10, {{Zone::Body, "a\xC3\xA9"}}},
    {"CutInsideAFourByteCharacter",
     "<p>\xF0\x9F\x98\x80\xF0\x9F\x98\x80</p>",
     7,
     10,
     {{Zone::Body, "\xF0\x9F\x98\x80"}}},
    {"BlankAtTheBoundIsDropped", "<p>abc def</p>", 4, 10, {{Zone::Body, "abc"}}},
    {"BoundSpansBlocks", "<p>abc</p><p>defgh</p><p>i</p>", 6, 10, {{Zone::Body, "abc"}, {Zone::Body, "def"}}},
    {"BlockCount", "<p>1</p><p>2</p><p>3</p>", 100, 2, {{Zone::Body, "1"}, {Zone::Body, "2"}}},
    {"NoTextAtZeroBytes", "<title>t</title><p>1</p>", 0, 10, {}},
    {"NoTextAtZeroBlocks", "<title>t</title><p>1</p>", 100, 0, {}},
};

class TextBoundsTable : public ::testing::TestWithParam<BoundRow> {};

TEST_P(TextBoundsTable, Page) {
    ReadLimits limits;
    limits.textBlockBytes = GetParam().bytes;
    limits.textBlocks = GetParam().blocks;
    EXPECT_EQ(BlocksOf(ReadPage(GetParam().page, limits)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Limits, TextBoundsTable, ::testing::ValuesIn(kBounds), test::RowName());

TEST(PageTextBlocks, BigPagesCostNoMoreThanTheirBounds) {
    // A 10 MB page of one word of two-byte characters.
    std::string word = "<p>";
    for (int i = 0; i < 5'000'000; ++i) {
        word += "\xC3\xA9";
    }
    const PageRead one = ReadPage(word);
    ASSERT_EQ(one.text.size(), 1U);
    EXPECT_EQ(one.text[0].text.size(), ReadLimits{}.textBlockBytes);
    EXPECT_EQ(one.facts.wordCount, 1U);

    std::string headings;
    for (int i = 0; i < 20'000; ++i) {
        headings += "<h2>Heading " + std::to_string(i) + "</h2>";
    }
    const PageRead many = ReadPage(headings);
    ASSERT_EQ(many.text.size(), ReadLimits{}.textBlocks);
    EXPECT_EQ(many.text.back().text, "Heading 9999");
    EXPECT_EQ(many.facts.firstHeading, "Heading 0");
    EXPECT_LE(TotalBytes(many), ReadLimits{}.textBlockBytes);
}

struct NewFactsRow {
    std::string name;
    std::string page;
    std::string metaKeywords;
    std::string firstHeading;
    std::string h1;
};

const NewFactsRow kNewFacts[] = {
    {"None", "<p>text</p>", "", "", ""},
    {"FirstKeywordsCollapsed",
     R"(<meta name="Keywords" content="  apt,  dpkg&amp;co "><meta name=keywords content=second>)", "apt, dpkg&co", "",
     ""},
    {"KeywordsWithoutContentDoNotCount", R"(<meta name=keywords><meta name=keywords content=k>)", "k", "", ""},
    {"FirstHeadingWhenThereIsNoH1", "<h3>Section <i>one</i></h3><h2>Two</h2>", "", "Section one", ""},
    {"FirstHeadingMayBeTheH1", "<h1>Top</h1><h2>Sub</h2>", "", "Top", "Top"},
    {"FirstHeadingBeforeTheH1", "<h2>Sub</h2><h1>Top</h1>", "", "Sub", "Top"},
    {"EmptyHeadingsAreSkipped", "<h2> </h2><h2><img alt=x></h2><h4>Real</h4>", "", "Real", ""},
    {"TemplateHeadingDoesNotCount", "<template><h2>T</h2></template><h5>Out</h5>", "", "Out", ""},
    {"HeadingEndsAtAnyHeading", "<h2>A<h3>B</h3>", "", "A", ""},
};

class NewFactsTable : public ::testing::TestWithParam<NewFactsRow> {};

TEST_P(NewFactsTable, Page) {
    const PageFacts facts = ReadPage(GetParam().page).facts;
    EXPECT_EQ(facts.metaKeywords, GetParam().metaKeywords);
    EXPECT_EQ(facts.firstHeading, GetParam().firstHeading);
    EXPECT_EQ(facts.h1, GetParam().h1);
}

INSTANTIATE_TEST_SUITE_P(Pages, NewFactsTable, ::testing::ValuesIn(kNewFacts), test::RowName());

TEST(PageTextBlocks, NewFactsAreCappedLikeTheOthers) {
    ReadLimits limits;
    limits.textBytes = 5;
    const PageFacts facts =
        ReadPage("<meta name=keywords content='abc def ghi'><h2>\xC3\xA9\xC3\xA9\xC3\xA9</h2>", limits).facts;
    EXPECT_EQ(facts.metaKeywords, "abc d");
    EXPECT_EQ(facts.firstHeading, "\xC3\xA9\xC3\xA9");
}

} // namespace
} // namespace vortaxel::crawl
