// Fuzzes the SAMI reader: decoding any bytes, then splitting the text into cues.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "captions/SamiReader.h"
#include "captions/TextDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = velmora::text::DecodeToUtf8(bytes);
    const auto cues = sami::ParseSami(text);
    for (size_t i = 1; i < cues.size(); ++i)
        if (cues[i - 1].startMs >= cues[i].startMs) __builtin_trap();  // sorted, one per start
    if (!cues.empty()) (void)sami::CueIndexAt(cues, cues.back().startMs);
    (void)sami::ParseSami(bytes);  // undecoded bytes must be safe too
    return 0;
}
