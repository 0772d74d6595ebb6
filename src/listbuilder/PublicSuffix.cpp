// Registrable domains through libpsl.
#include "listbuilder/PublicSuffix.h"

#include <algorithm>
#include <libpsl.h>
#include <memory>
#include <string_view>

namespace tarnwick {

namespace {

constexpr const char* kSystemList = "/usr/share/publicsuffix/public_suffix_list.dat";

struct PslFree {
    void operator()(psl_ctx_t* psl) const { psl_free(psl); }
};

// The system's list follows the packaged updates; libpsl's own copy only fills in when it is gone.
const psl_ctx_t* List() {
    static const std::unique_ptr<psl_ctx_t, PslFree> loaded(psl_load_file(kSystemList));
    return loaded ? loaded.get() : psl_builtin();
}

// Labels of letters, digits, "-" and "_" (international names arrive in their ASCII form from the
// browser); anything else (spaces, quotes, "=", empty labels, raw bytes) is no host name and must
// not reach the queue.
bool IsHostName(const std::string& host) {
    if (host.starts_with('.') || host.find("..") != std::string::npos) {
        return false;
    }
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
    });
}

// An IPv4 or IPv6 address, or a name under an all-digit top label, which no real suffix is.
bool IsAddressLiteral(const std::string& host) {
    if (host.find(':') != std::string::npos || host.find('[') != std::string::npos) {
        return true;
    }
    const std::size_t dot = host.rfind('.');
    const std::string_view top = std::string_view(host).substr(dot == std::string::npos ? 0 : dot + 1);
    return std::all_of(top.begin(), top.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string RegistrableDomain(const std::string& host) {
    std::string name = host;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    while (!name.empty() && name.back() == '.') {
        name.pop_back();
    }
    if (name.empty() || IsAddressLiteral(name) || !IsHostName(name)) {
        return {};
    }
    const psl_ctx_t* psl = List();
    if (psl == nullptr) {
        return {};
    }
    const char* domain = psl_registrable_domain(psl, name.c_str());
    return domain == nullptr ? std::string() : std::string(domain);
}

} // namespace tarnwick
