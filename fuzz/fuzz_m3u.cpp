// Loads arbitrary bytes as a playlist file and checks that every entry is a non-empty, valid UTF-8
// absolute path or network address on one line, and that navigation stays inside the list.
#include "captions/TextDecoder.h"
#include "playback/PlayList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPlayList list;
    const int count =
        list.LoadM3uBytes(std::string_view(reinterpret_cast<const char*>(data), size), "/p");
    if (count != list.Count() || count < 0) abort();
    for (const std::string& entry : list.Entries()) {
        if (entry.empty() || entry.find('\n') != std::string::npos) abort();
        if (entry.front() != '/' && entry.find("://") == std::string::npos) abort();
        if (!velmora::text::IsValidUtf8(entry)) abort();
    }
    if (count > 0) {
        list.First();
        for (int i = 0; i < 3; ++i) {
            list.Next();
            if (list.Index() < 0 || list.Index() >= count) abort();
        }
        for (int i = 0; i < 5; ++i) {
            list.Previous();
            if (list.Index() < 0 || list.Index() >= count) abort();
        }
    }
    return 0;
}
