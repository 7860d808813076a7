#pragma once
// Reading the command line: the first argument that is not a switch names the medium to open.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cmdline {

struct Parsed {
    std::optional<std::string> path;  // set only when the command is to open a file
};

// `args` excludes the program name. An argument starting with "-" is a switch; one starting with
// "/" is a switch too unless it is a path (it holds another "/" or `exists` says it is there),
// since "/" also begins every absolute path here. Print, print-to, DDE and unregister switches
// ("p", "pt", "dde", "unregister", "unregserver", any case) make the command something other than
// opening a file, so the path is not used.
Parsed Parse(const std::vector<std::string>& args,
             const std::function<bool(const std::string&)>& exists);

}  // namespace cmdline
