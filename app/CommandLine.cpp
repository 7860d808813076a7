#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

namespace cmdline {
namespace {

bool IsSwitch(const std::string& arg, const std::function<bool(const std::string&)>& exists) {
    if (arg.empty()) return false;
    if (arg[0] == '-') return true;
    if (arg[0] != '/') return false;
    return arg.find('/', 1) == std::string::npos && !(exists && exists(arg));
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

Parsed Parse(const std::vector<std::string>& args,
             const std::function<bool(const std::string&)>& exists) {
    Parsed result;
    bool openCommand = true;
    std::optional<std::string> first;
    for (const std::string& arg : args) {
        if (!IsSwitch(arg, exists)) {
            if (!first) first = arg;
            continue;
        }
        const std::string name = Lower(arg.substr(arg.find_first_not_of("-/") == std::string::npos
                                                      ? arg.size()
                                                      : arg.find_first_not_of("-/")));
        if (name == "p" || name == "pt" || name == "dde" || name == "unregister" ||
            name == "unregserver")
            openCommand = false;
    }
    if (openCommand) result.path = first;
    return result;
}

}  // namespace cmdline
