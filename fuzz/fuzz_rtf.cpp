// Feeds arbitrary bytes to the RTF reader and both of its renderings.
#include "text/Rtf.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tarnwick::RtfDocument document = tarnwick::ReadRtf(input);
    const std::string text = tarnwick::RtfPlainText(document);
    const std::string html = tarnwick::RtfToHtml(document);
    // The plain text can never be longer than the input plus one line break per paragraph.
    if (text.size() > size + document.paragraphs.size()) {
        __builtin_trap();
    }
    for (const char c : html) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            __builtin_trap();
        }
    }
    return 0;
}
