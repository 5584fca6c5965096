// Text helpers the GPD reader's stages share: the language's blanks and name characters, trimming,
// and the short lists of names its messages give.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace gpd {

// A blank inside a line: what separates the parts of an entry.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// A character of a symbolic name or a keyword: a letter, a digit or '_'.
inline bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// Whether `a` and `b` are the same but for the case of letters.
inline bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Printable punctuation that a feature or option name may hold without being taken for the
// language's own syntax (quotes, braces, comments, macros, values, parameters, lists).
inline bool IsNamePunctuation(char c) {
    constexpr std::string_view kAllowed = "!#$&'+-./?@\\^`|~";
    return kAllowed.find(c) != std::string_view::npos;
}

// `text` without its leading and trailing blanks.
inline std::string Trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// Names for a message: the first few, enough to recognise them.
inline std::string Listed(const std::vector<std::string>& names) {
    constexpr size_t kShown = 20;
    if (names.empty()) return "none";
    std::string list;
    for (size_t i = 0; i < names.size() && i < kShown; ++i) list += (list.empty() ? "" : ", ") + names[i];
    if (names.size() > kShown) list += ", ... (" + std::to_string(names.size()) + " in all)";
    return list;
}

}  // namespace gpd
