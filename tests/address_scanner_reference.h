// The address cleaning loop done the slow, literal way: whole passes, each re-testing the rule
// list as wildcard patterns in order. Used by the tests and the fuzzer as the yardstick for the
// linear cleanAddress.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "wildcard.h"

namespace corvell::reference {

enum class Action { RemoveFirst, RemoveLast };

struct Rule {
    std::u16string pattern;
    Action action;
};

inline const std::vector<Rule>& ruleList() {
    static const std::vector<Rule> rules = [] {
        const std::array<std::u16string_view, 21> left = {
            u",", u" ", u":", u"\"", u"<", u">", u"`", u"..", u"/", u";", u"\\",
            u"+", u"=", u"|", u"(",  u")", u"&", u"^", u"%",  u"~", u"$"};
        const std::array<std::u16string_view, 21> right = {
            u",", u" ", u":", u"\"", u"<", u">", u"`", u"\\", u"..", u"/", u"+",
            u"=", u"|", u"(", u")",  u"&", u"^", u"%", u"!",  u"$",  u"~"};
        std::vector<Rule> list;
        for (std::u16string_view d : left) {
            list.push_back({u"*" + std::u16string(d) + u"*@*", Action::RemoveFirst});
        }
        list.push_back({u"@*", Action::RemoveLast});
        list.push_back({u"*@", Action::RemoveLast});
        for (std::u16string_view d : right) {
            list.push_back({u"*@*" + std::u16string(d) + u"*", Action::RemoveLast});
        }
        list.push_back({u"*@*.*-", Action::RemoveLast});
        list.push_back({u"*@*.", Action::RemoveLast});
        list.push_back({u"*@*;", Action::RemoveLast});
        return list;
    }();
    return rules;
}

inline bool matches(std::u16string_view text, std::u16string_view pattern) {
    return wildcardMatch(text, pattern) == MatchResult::Match;
}

// One pass: empty a text without the address shape, then apply the first rule that holds.
inline std::u16string cleaningPass(std::u16string text) {
    if (!matches(text, u"*@*.*")) {
        text.clear();
    }
    for (const Rule& rule : ruleList()) {
        if (matches(text, rule.pattern)) {
            if (rule.action == Action::RemoveFirst) {
                text.erase(0, 1);
            } else {
                text.pop_back();
            }
            break;
        }
    }
    return text;
}

inline std::u16string cleanAddress(std::u16string_view input) {
    std::u16string text(input);
    for (;;) {
        std::u16string next = cleaningPass(text);
        if (next == text) {
            return text;
        }
        text = std::move(next);
    }
}

}  // namespace corvell::reference
