// The one decoder of caption files and playlists: encoding choice, undecodable bytes, cuts.

#include "captions/TextDecoder.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <tuple>

namespace {

using namespace velmora::text;

std::string Encode(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string in = utf8, out(utf8.size() * 4 + 16, '\0');
    char* ip = in.data();
    char* op = out.data();
    size_t il = in.size(), ol = out.size();
    EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), size_t(-1));
    iconv_close(cd);
    out.resize(out.size() - ol);
    return out;
}

TEST(TextDecoder, Decode) {
    const std::string text = "<SYNC Start=1><P>쫒아가는 고양이 /v/영화.avi\r\n";
    // Case, bytes, the text decoded.
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"UTF-8", text, text},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + text, text},
        {"UTF-16LE with BOM", "\xFF\xFE" + Encode(text, "UTF-16LE"), text},
        {"UTF-16BE with BOM", "\xFE\xFF" + Encode(text, "UTF-16BE"), text},
        {"UTF-16LE without BOM", Encode(text, "UTF-16LE"), text},
        {"CP949", Encode(text, "CP949"), text},
        {"CP949 extension (UHC)", "\x81\x41", "갂"},
        {"broken UTF-8 after a BOM", "\xEF\xBB\xBF" + std::string("a\xC0\xAF") + "b",
         "a\uFFFD\uFFFDb"},
        {"cut UTF-16 unit", std::string("\xFF\xFE\x61\0b", 5), "a\uFFFD"},
        {"CP949 lead byte at the end", "\xB0\xA1\xB0", "가\uFFFD"},
        {"undecodable CP949 bytes", std::string("a\xFF") + "b", "a\uFFFDb"},
        // iconv reports this pair as bad after consuming both bytes.
        {"bad CP949 pair at the end", "\xA2\xE8", "\uFFFD"},
        {"empty", "", ""},
    };
    for (const auto& [name, bytes, expected] : rows) {
        const std::string decoded = DecodeToUtf8(bytes);
        EXPECT_EQ(decoded, expected) << name;
        EXPECT_TRUE(IsValidUtf8(decoded)) << name;
    }
}

TEST(TextDecoder, StrictUtf8) {
    for (const char* valid : {"가", "\xF0\x9F\x8E\xAC"}) EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    // Overlong, surrogate, past U+10FFFF, cut.
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xEA\xB0"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(TextDecoder, CutKeepsWholeCharacters) {
    // Text, bytes at most, the text cut.
    const std::tuple<std::string, size_t, std::string> rows[] = {
        {"가나", 6, "가나"},
        {"가나", 5, "가"},
        {"가나", 3, "가"},
        {"a가", 2, "a"},
        {std::string("\xF0\x9F\x8E\xAC") + "b", 3, ""},
    };
    for (const auto& [text, max, cut] : rows) EXPECT_EQ(CutUtf8(text, max), cut) << max;
}

}  // namespace
