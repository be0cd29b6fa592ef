// The about text chosen from aboutPack.ini for the current language.
#include "lang/about_text.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

Lines About(Lines list, Lines rest) {
    list.push_back("List: end");
    list.insert(list.end(), rest.begin(), rest.end());
    return list;
}

const Lines Blocks{"Language: English", "english text", "Language: End", "Language: Russian", "russian text",
                   "Language: End",     "Language: de.txt", "german text", "Language: End"};

}  // namespace

TEST(AboutText, TheListDecidesWhichBlockIsShown) {
    EXPECT_EQ(ExtractAboutText(About({"English", "Russian", "de.txt"}, Blocks), "de.txt"), "german text");
    EXPECT_EQ(ExtractAboutText(About({"English", "Russian"}, Blocks), "de.txt"), "english text")
        << "an unlisted language falls back to English";
    EXPECT_EQ(ExtractAboutText(About({"Russian"}, Blocks), "de.txt"), "russian text");
    EXPECT_EQ(ExtractAboutText(About({"Russian", "English"}, Blocks), "Russian"), "russian text");
    EXPECT_EQ(ExtractAboutText(About({"de.txt"}, Blocks), "fr.txt"), "") << "no listed language";
    EXPECT_EQ(ExtractAboutText({"English", "Language: English", "text"}, "Russian"), "") << "no end of list";
    EXPECT_EQ(ExtractAboutText({}, "Russian"), "");
}

TEST(AboutText, MarkersIgnoreCaseHeadersDoNot) {
    EXPECT_EQ(ExtractAboutText({"English", "LIST: END", "Language: English", "a", "LANGUAGE: end", "b"}, "Russian"),
              "a");
    EXPECT_EQ(ExtractAboutText(About({"English"}, {"language: english", "a", "Language: End"}), "Russian"), "");
    EXPECT_EQ(ExtractAboutText(About({" English"}, {"Language: English", "a"}), "Russian"), "")
        << "list lines compare whole";
}

TEST(AboutText, BlockTextRules) {
    EXPECT_EQ(ExtractAboutText(About({"English"}, {"Language: English", "", "", "word", "", "more", "Language: End"}),
                               "Russian"),
              "word\r\n\r\nmore")
        << "leading empty lines are dropped, later ones kept";
    EXPECT_EQ(ExtractAboutText(About({"English"}, {"Language: English", "a", "// note", "b"}), "Russian"), "a\r\nb")
        << "comments are skipped and the text runs to the end";
    EXPECT_EQ(ExtractAboutText(About({"English"}, {"Language: English", "a", "Language: Russian", "b"}), "Russian"),
              "a\r\nLanguage: Russian\r\nb")
        << "without an end marker later headers are text";
    EXPECT_EQ(ExtractAboutText(About({"English"}, {"Language: English", "  indented  "}), "Russian"), "  indented  ");
}
