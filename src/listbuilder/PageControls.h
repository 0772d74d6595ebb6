// What the List builder looks for on a rendered result page with the secure-web option: the
// control that leads to the next result page and the marks of a challenge the user must answer.
// This is the one place to mend when an engine changes its page. Pure rules, Qt-free.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// One element of the rendered page, as the browser reports it. The browser reports every link,
// button and input, and every element carrying an id or a class.
struct PageElement {
    std::string tag; // lower case: "a", "button", "input", "form", "div"…
    std::string id;
    std::string className; // the class attribute, tokens separated by spaces
    std::string rel;
    std::string ariaLabel;
    std::string label;   // the text of a link or button, the value of an input
    std::string type;    // of an input or button, lower case
    bool inForm = false; // a descendant of a form
};

// The index of the control that opens the next result page, or nothing on the last page. In order
// of preference:
//   1. a link or button with rel="next" (Google, Yahoo);
//   2. id="pnnext" (Google);
//   3. aria-label="Next page" (Google, Bing);
//   4. a link or button with class "next" (Yahoo) or "sb_pagN" (Bing);
//   5. a submit button reading "Next" inside a form (DuckDuckGo's HTML page pages with a POST
//      form carrying hidden fields; activating the button submits it).
std::optional<std::size_t> FindNextControl(const std::vector<PageElement>& elements);

// Whether the page holds a challenge: id="captcha-form" (Google's "unusual traffic" page),
// id="challenge-form", or an element with class "anomaly-modal" (DuckDuckGo).
bool HoldsChallenge(const std::vector<PageElement>& elements);

} // namespace tarnwick
