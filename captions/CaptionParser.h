#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Turns one caption fragment (the markup of one SAMI caption, UTF-8) into a flat caption text in
// which every tag is one space, the byte positions where lines end, and the colour changes.
//
// Result rules:
//  - Line i runs from LineEnd(i - 1) (0 for the first line) to LineEnd(i); a line after a break
//    starts with the space that replaced the break tag.
//  - The last line end is the end of the text: length OR kTextEndFlag. A consumer that caps a line
//    end at the text length reads it correctly.
//  - A colour change holds the colour value as read in bits 0-23 and the byte position where the
//    colour starts (0..255) in bits 24-31.
//  - Positions are UTF-8 byte offsets.
//
// Limits: each list holds kCapacity entries. Break tags past the 99th are plain tags (one space,
// no new line), so the final line end always has room. Colour changes past the 100th are ignored:
// not recorded, and the current colour stays that of the last recorded change; so are changes once
// the text is longer than 255 bytes (a position past 255 cannot be recorded), and the text after
// them is kept. Fragments longer than kMaxFragmentBytes are cut to that length at a character
// boundary: more text than that never fits on a picture, and laying it out would stall the GUI.
class CCaptionParser {
  public:
    static constexpr int kCapacity = 100;  // entries in each list, the final line end included
    static constexpr int32_t kTextEndFlag = 0x01000000;
    static constexpr size_t kMaxColorPosition = 255;
    // Several screens full of caption text; also keeps every position well inside 24 bits.
    static constexpr size_t kMaxFragmentBytes = 8192;

    CCaptionParser() { Reset(); }

    void Reset();
    void Parse(std::string_view fragment);

    const std::string& CaptionText() const { return m_captionText; }
    int LineEndCount() const { return m_lineEndCount; }
    int32_t LineEnd(int i) const;
    std::span<const int32_t> LineEnds() const {
        return {m_lineEnds.data(), size_t(m_lineEndCount)};
    }
    int ColorChangeCount() const { return m_colorChangeCount; }
    int32_t ColorChange(int i) const;
    std::span<const int32_t> ColorChanges() const {
        return {m_colorChanges.data(), size_t(m_colorChangeCount)};
    }
    int32_t CurrentColor() const { return m_currentColor; }

  private:
    void HandleTag(std::string_view rawTag);

    int32_t m_currentColor = 0;
    int m_lineEndCount = 0;
    int m_colorChangeCount = 0;
    std::array<int32_t, kCapacity> m_lineEnds{};
    std::array<int32_t, kCapacity> m_colorChanges{};
    std::string m_captionText;
};

namespace velmora::captions {

// Replaces every occurrence of `from` by `to`, left to right, without overlaps.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Reads a colour attribute value as a base-16 number: optional leading white space, optional sign,
// optional 0x prefix, then hexadecimal digits up to the first other byte. No digits give 0; values
// outside the signed 32-bit range become the nearest limit.
int32_t ReadHexNumber(std::string_view text);

// The colour value of a tag's "COLOR=" attribute (the tag already trimmed and upper-cased), or
// nothing when the tag has no such attribute.
std::optional<int32_t> ReadTagColor(std::string_view upperTag);

}  // namespace velmora::captions
