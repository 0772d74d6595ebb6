// Page files are written and read whole with C streams: one open, one write, one close per step.
#include "harvest/PageFiles.h"

#include <cstdio>
#include <memory>

namespace tarnwick {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

std::string PageFilePath(const std::string& appFolder, int slot) {
    return appFolder + "/html" + std::to_string(slot) + ".txt";
}

std::string FlatPageFilePath(const std::string& appFolder, int slot) {
    return appFolder + "/html2" + std::to_string(slot) + ".txt";
}

bool WriteTextLine(const std::string& path, std::string_view text) {
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                         std::fwrite("\r\n", 1, 2, file.get()) == 2;
    return std::fclose(file.release()) == 0 && written;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        content.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    return content;
}

std::vector<std::string_view> SplitReaderLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::string Flatten(std::string_view text) {
    std::string flat;
    flat.reserve(text.size());
    for (const char c : text) {
        if (c != '\r' && c != '\n') {
            flat.push_back(c);
        }
    }
    return flat;
}

} // namespace tarnwick
