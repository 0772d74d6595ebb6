// Page files are written and read whole: one open, one write, one close per step.
#include "harvest/PageFiles.h"

#include "harvest/WebLinks.h"

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

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
    // Overwritten in place and then cut to length: truncating to zero first makes the file
    // system flush the file at close, which costs milliseconds per page file on some disks.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const auto writeAt = [fd](std::string_view bytes, std::size_t offset) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    };
    const std::size_t length = text.size() + 2;
    const bool written =
        writeAt(text, 0) && writeAt("\r\n", text.size()) && ::ftruncate(fd, static_cast<off_t>(length)) == 0;
    return ::close(fd) == 0 && written;
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
    return SplitLinesAt(text, "\r");
}

std::string Flatten(std::string_view text) {
    std::string flat(text.size(), '\0');
    char* out = flat.data();
    for (const char c : text) {
        *out = c;
        out += static_cast<int>(c != '\r' && c != '\n');
    }
    flat.resize(static_cast<std::size_t>(out - flat.data()));
    return flat;
}

} // namespace tarnwick
