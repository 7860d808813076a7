// Parses arbitrary fragments and checks the result rules the caption layout relies on.
#include "captions/CaptionParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CCaptionParser parser;
    parser.Parse(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::string& text = parser.CaptionText();
    const int32_t length = int32_t(text.size());
    if (text.find('<') != std::string::npos) abort();
    if (parser.LineEndCount() < 1 || parser.LineEndCount() > CCaptionParser::kCapacity) abort();
    if (parser.ColorChangeCount() < 0 || parser.ColorChangeCount() > CCaptionParser::kCapacity)
        abort();

    // Plain line ends rise and stay within the text; the final entry carries the end flag.
    int32_t previous = 0;
    for (int i = 0; i + 1 < parser.LineEndCount(); ++i) {
        const int32_t end = parser.LineEnd(i);
        if (end & CCaptionParser::kTextEndFlag || end < previous || end > length) abort();
        previous = end;
    }
    const int32_t last = parser.LineEnd(parser.LineEndCount() - 1);
    if (!(last & CCaptionParser::kTextEndFlag)) abort();
    if ((last & 0xFFFFFF) != length) abort();

    // Colour changes lie in the first 256 bytes, in order, and the current colour is the last.
    uint32_t previousPosition = 0;
    for (int32_t change : parser.ColorChanges()) {
        const uint32_t position = uint32_t(change) >> 24;
        if (position < previousPosition || int32_t(position) > length) abort();
        previousPosition = position;
    }
    if (parser.ColorChangeCount() > 0) {
        const int32_t lastChange = parser.ColorChange(parser.ColorChangeCount() - 1);
        if ((lastChange & 0xFFFFFF) != (parser.CurrentColor() & 0xFFFFFF)) abort();
    } else if (parser.CurrentColor() != 0) {
        abort();
    }
    return 0;
}
