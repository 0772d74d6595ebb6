// Link and address normalisation on arbitrary bytes: no crash, and the shapes each rule
// promises. The input is split at its first NUL into a link and the address of its page.
#include "harvest/Address.h"
#include "harvest/Links.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string link = input.substr(0, split);
    const std::string address = split == std::string::npos ? std::string() : input.substr(split + 1);

    const tarnwick::HostPath hostPath = tarnwick::SplitAddress(address);
    if (hostPath.host.find('/') != std::string::npos || !hostPath.path.starts_with('/') ||
        hostPath.host.size() + hostPath.path.size() > address.size() + 1) {
        std::abort();
    }
    const std::string directory = tarnwick::UrlDirectory(hostPath.host + hostPath.path);
    if (!directory.ends_with('/')) {
        std::abort();
    }
    const std::string normalised = tarnwick::NormaliseLink(link, directory);
    if (normalised.find('/') == std::string::npos || normalised.size() > link.size() + directory.size() + 2) {
        std::abort();
    }
    return 0;
}
