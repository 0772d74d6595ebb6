// Next-page controls and challenge marks on a rendered result page.
#include "listbuilder/PageControls.h"

#include <array>
#include <functional>
#include <string_view>

namespace tarnwick {

namespace {

bool HasToken(std::string_view list, std::string_view token) {
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t start = list.find_first_not_of(" \t\r\n\f", at);
        if (start == std::string_view::npos) {
            return false;
        }
        const std::size_t end = std::min(list.find_first_of(" \t\r\n\f", start), list.size());
        if (list.substr(start, end - start) == token) {
            return true;
        }
        at = end;
    }
    return false;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n\f");
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(" \t\r\n\f") - start + 1);
}

bool IsClickable(const PageElement& e) {
    return e.tag == "a" || e.tag == "button" || e.tag == "input";
}

bool IsSubmit(const PageElement& e) {
    return (e.tag == "input" && (e.type == "submit" || e.type == "button")) ||
           (e.tag == "button" && (e.type.empty() || e.type == "submit"));
}

using Rule = std::function<bool(const PageElement&)>;

const std::array<Rule, 5>& NextRules() {
    static const std::array<Rule, 5> rules = {
        [](const PageElement& e) { return IsClickable(e) && HasToken(e.rel, "next"); },
        [](const PageElement& e) { return IsClickable(e) && e.id == "pnnext"; },
        [](const PageElement& e) { return IsClickable(e) && e.ariaLabel == "Next page"; },
        [](const PageElement& e) {
            return IsClickable(e) && (HasToken(e.className, "next") || HasToken(e.className, "sb_pagN"));
        },
        [](const PageElement& e) { return e.inForm && IsSubmit(e) && Trimmed(e.label) == "Next"; },
    };
    return rules;
}

} // namespace

std::optional<std::size_t> FindNextControl(const std::vector<PageElement>& elements) {
    for (const Rule& rule : NextRules()) {
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (rule(elements[i])) {
                return i;
            }
        }
    }
    return std::nullopt;
}

bool HoldsChallenge(const std::vector<PageElement>& elements) {
    for (const PageElement& e : elements) {
        if (e.id == "captcha-form" || e.id == "challenge-form" || HasToken(e.className, "anomaly-modal")) {
            return true;
        }
    }
    return false;
}

} // namespace tarnwick
