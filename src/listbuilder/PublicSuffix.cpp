// Registrable domains through libpsl.
#include "listbuilder/PublicSuffix.h"

#include <algorithm>
#include <libpsl.h>
#include <memory>

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

bool IsAddressLiteral(const std::string& host) {
    if (host.find(':') != std::string::npos || host.find('[') != std::string::npos)
        return true;
    return std::all_of(host.begin(), host.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

} // namespace

std::string RegistrableDomain(const std::string& host) {
    std::string name = host;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    while (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name.empty() || IsAddressLiteral(name) || name.find('\0') != std::string::npos)
        return {};
    const psl_ctx_t* psl = List();
    if (psl == nullptr)
        return {};
    const char* domain = psl_registrable_domain(psl, name.c_str());
    return domain == nullptr ? std::string() : std::string(domain);
}

} // namespace tarnwick
