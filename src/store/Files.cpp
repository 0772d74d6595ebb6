// Small file helpers shared by the export and the help window.
#include "store/Files.h"

#include <sys/stat.h>

namespace tarnwick {

std::string FileNameOf(const std::string& path) {
    const auto separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        return path;
    }
    return path.substr(separator + 1);
}

bool FileExists(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace tarnwick
