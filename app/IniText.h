#pragma once
// Reading and writing the settings file's text: UTF-8 INI with literal (Korean) section and key
// names. Reading is lenient and keeps every usable entry, but reports whether anything in the text
// could not be understood, so the caller can keep the original aside before rewriting it.

#include <map>
#include <string>
#include <string_view>

namespace ini {

// Section name -> key -> value. Keys outside any section use the section name "".
using Sections = std::map<std::string, std::map<std::string, std::string>>;

struct ParseResult {
    Sections sections;
    bool damaged = false;  // some bytes or lines could not be read as settings
};

ParseResult Parse(std::string_view text);

// Writes the sections (the unnamed one first) in a form Parse reads back exactly.
std::string Write(const Sections& sections);

// Reads a whole decimal 32-bit integer ("-12", "+7", " 42 "); false for anything else.
bool ToInt(std::string_view text, int* value);

}  // namespace ini
