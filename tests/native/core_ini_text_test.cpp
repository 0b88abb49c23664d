// The settings file's text: sections and lines read as a hand-edited file may hold them, written so
// that they read back the same, in either of the file's encodings.
#include "core/IniText.h"

#include <gtest/gtest.h>

namespace core {
namespace {

using namespace std::string_literals;

TEST(IniText, ReadsAHandEditedFileAndWritesWhatReadsBackTheSame) {
    const std::wstring text = L"stray=before any section\n"
                              L"[Settings]\r\n"
                              L"  Hours = 01\r"
                              L"; Minutes=99\n"
                              L"no equals sign\n"
                              L"=nameless\n"
                              L"Text2=C:\\Sounds\\a=b.wav\n"
                              L"\n"
                              L" [ Timer 3 ] \n"
                              L"Label=\u0413\u0440\u0438\u0431\xD83C\xDF75\0Minutes=5"s;
    const IniDocument document = ParseIni(text);
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document[0].entries, (IniEntries{{L"Hours", L" 01"}, {L"Text2", L"C:\\Sounds\\a=b.wav"}}));
    EXPECT_TRUE(document[1].name == L"Timer 3" && document[1].entries.size() == 2);
    EXPECT_EQ(*FindIniValue(FindIniSection(document, L"timer 3")->entries, L"LABEL"),
              L"\u0413\u0440\u0438\u0431\xD83C\xDF75");
    EXPECT_EQ(ParseIni(FormatIni(document)), document);
    EXPECT_EQ(IniFileText(IniFileBytes(FormatIni(document))), FormatIni(document));

    // A value cannot break its line.
    IniDocument written;
    SetIniValue(IniSectionNamed(written, L"Settings").entries, L"Text2", L"a\r\nb=c");
    SetIniValue(IniSectionNamed(written, L"settings").entries, L"text2", L"d");
    EXPECT_EQ(FormatIni(written), L"[Settings]\r\nText2=d\r\n");
    SetIniValue(IniSectionNamed(written, L"Settings").entries, L"Text2", L"a\r\nb=c");
    EXPECT_EQ(ParseIni(FormatIni(written))[0].entries, (IniEntries{{L"Text2", L"a"}}));
}

TEST(IniText, ASealedTextTellsItselfFromOneCutOffOrWrittenOver) {
    const std::wstring text = FormatIni({{L"Settings", {{L"Hours", L"01"}, {L"Minutes", L"30"}}}});
    const std::wstring sealed = SealIniText(text);
    EXPECT_TRUE(IsSealedIniText(sealed) && ParseIni(sealed) == ParseIni(text) && !IsSealedIniText(text));
    // Cut off by a character; a text of the same length written over its start, the old seal still last.
    EXPECT_FALSE(IsSealedIniText(sealed.substr(0, sealed.size() - 1)));
    EXPECT_FALSE(IsSealedIniText(L"[Settings]\r\nHours=02" + sealed.substr(20)));
}

TEST(IniText, ReadsUtf16WithItsMarkAndUtf8WithOrWithoutIt) {
    EXPECT_EQ(IniFileBytes(L"a\u00E9"), std::string("\xFF\xFE" "a\0\xE9\0", 6));
    EXPECT_EQ(IniFileText(std::string("\xFF\xFE" "a\0\x3C\xD8\x75\xDF" "b", 9)), L"a\xD83C\xDF75");
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8D\xB5";
    EXPECT_EQ(IniFileText(utf8), L"a\u00E9\u20AC\xD83C\xDF75");
    EXPECT_EQ(IniFileText("\xEF\xBB\xBF" + utf8), L"a\u00E9\u20AC\xD83C\xDF75");
    // Overlong, a surrogate, beyond U+10FFFF, a lone continuation, a cut sequence: one U+FFFD each.
    EXPECT_EQ(IniFileText("\xE0\x80\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\x80|\xE2\x82"),
              L"\uFFFD|\uFFFD|\uFFFD|\uFFFD|\uFFFD");
}

}  // namespace
}  // namespace core
