// The markup translator on its own: what reaches espeak-ng as text. (How the elements
// sound is shown on the engine's output in kipvoice_test.cpp.)
#include "content/sound/kipvoice/speech_markup.h"

#include <gtest/gtest.h>

using kipvoice_detail::MarkupToSsml;
using kipvoice_detail::RateToWordsPerMinute;
using kipvoice_detail::ToUtf8;

TEST(SpeechMarkup, TextIsEscapedAndEntitiesAreCharacters) {
    // Characters that are not markup stay text, escaped so the engine reads them.
    EXPECT_EQ(MarkupToSsml(u"a < b & c > d <emph", 0), "a &lt; b &amp; c &gt; d &lt;emph");
    EXPECT_EQ(MarkupToSsml(u"<a b=c> <1> </ a> <a/ > <!-- x <? y", 0),
              "&lt;a b=c&gt; &lt;1&gt; &lt;/ a&gt; &lt;a/ &gt; &lt;!-- x &lt;? y");
    // Entities are the characters they stand for; anything else after "&" is text.
    EXPECT_EQ(MarkupToSsml(u"&lt;p&gt;&amp;&quot;&apos;&#65;&#x42;&#X63;x&amp;", 0), "&lt;p&gt;&amp;\"'ABcx&amp;");
    EXPECT_EQ(MarkupToSsml(u"&bogus; &#0; &#xD800; &#x110000; &#; &#xG; &#12345678901;", 0),
              "&amp;bogus; &amp;#0; &amp;#xD800; &amp;#x110000; &amp;#; &amp;#xG; &amp;#12345678901;");
    // Comments and instructions vanish; stray closing tags and unknown elements too.
    EXPECT_EQ(MarkupToSsml(u"<?xml version=\"1.0\"?>a<!-- b -->c</emph><x y='1'>d</x>", 0), "acd");
}

TEST(SpeechMarkup, Utf8OfEveryLength) {
    EXPECT_EQ(ToUtf8(u"\u007F\u0080\u07FF\u0800\uFFFF"), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    EXPECT_EQ(ToUtf8(u"\U0001F600\U0010FFFF"), "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    // Unpaired surrogates, at the end too, become U+FFFD.
    const char16_t lone[] = {0xD800, u'a', 0xDC00, 0xD83D, 0};
    EXPECT_EQ(ToUtf8(lone), "\xEF\xBF\xBD" "a\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(MarkupToSsml(lone, 0), ToUtf8(lone));
}

TEST(SpeechMarkup, ElementsBecomeBalancedSsml) {
    EXPECT_EQ(MarkupToSsml(u"<silence msec=\"-5\"/><SILENCE MSEC='99999'>", 0),
              "<break time=\"0ms\"/><break time=\"40000ms\"/>");
    // Rates as percentages of the enclosing speed (0: 175, 5: 280, 10: 449, -10: 80 words a
    // minute); an empty one lasts until its parent ends. Pitch steps of a semitone, held to
    // -10..10.
    EXPECT_EQ(MarkupToSsml(u"<p><rate absspeed=\"10\"/>a</p>b", 0), "<p><prosody rate=\"257%\">a</prosody></p>b");
    EXPECT_EQ(MarkupToSsml(u"<rate speed=\"+20\">a<rate absspeed=\"-10\">b</rate></rate>", 5),
              "<prosody rate=\"160%\">a<prosody rate=\"18%\">b</prosody></prosody>");
    EXPECT_EQ(MarkupToSsml(u"<volume level=\"50\"><volume level=\"25\"><volume level=\"9\">", 0),
              "<prosody volume=\"50%\"><prosody volume=\"50%\"><prosody volume=\"36%\">"
              "</prosody></prosody></prosody>");
    EXPECT_EQ(MarkupToSsml(u"<volume level=\"0\"><volume level=\"80\">a", 0),
              "<prosody volume=\"0%\"><prosody volume=\"100%\">a</prosody></prosody>");
    EXPECT_EQ(MarkupToSsml(u"<pitch absmiddle=\"12\"><pitch middle=\"-12\">a", 0),
              "<prosody pitch=\"178%\"><prosody pitch=\"50%\">a</prosody></prosody>");
    // A closing tag ends what is open inside its element.
    EXPECT_EQ(MarkupToSsml(u"<emph><spell>a<s>b</emph>c", 0),
              "<emphasis><say-as interpret-as=\"characters\">a<s>b</s></say-as></emphasis>c");
    // Past 16 open elements, no more are given to the engine.
    std::u16string deep;
    for (int i = 0; i < 20; ++i) deep += u"<emph>";
    std::string expected;
    for (int i = 0; i < 16; ++i) expected += "<emphasis>";
    expected += "a";
    for (int i = 0; i < 16; ++i) expected += "</emphasis>";
    EXPECT_EQ(MarkupToSsml(deep + u"a", 0), expected);
    EXPECT_EQ(RateToWordsPerMinute(-11), 80);
    EXPECT_EQ(RateToWordsPerMinute(11), 449);
}
