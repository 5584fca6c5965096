#include <gpd/gpd_values.h>

#include <gpd/gpd_text.h>

#include <cctype>
#include <charconv>

namespace gpd {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// <1B 45>: two hex digits a byte, blanks between bytes. `at` is just past the '<'.
bool ReadHex(const std::string& value, size_t& at, std::string& out) {
    int high = -1;
    for (; at < value.size() && value[at] != '>'; ++at) {
        if (IsBlank(value[at]) && high < 0) continue;
        const int digit = HexDigit(value[at]);
        if (digit < 0) return false;
        if (high < 0) {
            high = digit;
        } else {
            out += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    if (at >= value.size() || high >= 0) return false;
    ++at;
    return true;
}

// One quoted piece; `at` is on its opening quote.
bool ReadQuoted(const std::string& value, size_t& at, std::string& out) {
    for (++at; at < value.size();) {
        const char c = value[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c == '<') {
            ++at;
            if (!ReadHex(value, at, out)) return false;
        } else if (c == '%' && at + 1 < value.size() && (value[at + 1] == '"' || value[at + 1] == '<' || value[at + 1] == '%')) {
            out += value[at + 1];
            at += 2;
        } else {
            out += c;
            ++at;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> TextValue(const std::string& value) {
    std::string out;
    size_t at = 0;
    bool any = false;
    while (at < value.size()) {
        if (IsBlank(value[at])) {
            ++at;
        } else if (value[at] == '"' && ReadQuoted(value, at, out)) {
            any = true;
        } else {
            return std::nullopt;
        }
    }
    if (!any) return std::nullopt;
    return out;
}

std::optional<bool> BooleanValue(const std::string& value) {
    std::string word = Trimmed(value);
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (word == "TRUE") return true;
    if (word == "FALSE") return false;
    return std::nullopt;
}

std::optional<long long> IntegerValue(const std::string& value) {
    const std::string text = Trimmed(value);
    long long number = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    if (hex && *first == '-') return std::nullopt;
    const auto [end, fault] = std::from_chars(first, last, number, hex ? 16 : 10);
    if (fault != std::errc() || end != last || first == last) return std::nullopt;
    return number;
}

std::optional<std::pair<long long, long long>> PairValue(const std::string& value) {
    std::string text = Trimmed(value);
    if (text.rfind("PAIR", 0) != 0) return std::nullopt;
    text = Trimmed(text.substr(4));
    if (text.size() < 2 || text.front() != '(' || text.back() != ')') return std::nullopt;
    text = text.substr(1, text.size() - 2);
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const auto first = IntegerValue(text.substr(0, comma));
    const auto second = IntegerValue(text.substr(comma + 1));
    if (!first || !second) return std::nullopt;
    return std::make_pair(*first, *second);
}

std::optional<OrderValue> ParseOrder(const std::string& value) {
    const std::string text = Trimmed(value);
    const size_t dot = text.find('.');
    if (dot == 0 || dot == std::string::npos) return std::nullopt;
    OrderValue order;
    order.section = text.substr(0, dot);
    for (char c : order.section) {
        if (!IsNameChar(c)) return std::nullopt;
    }
    const auto number = IntegerValue(text.substr(dot + 1));
    if (!number || *number < 0) return std::nullopt;
    order.order = *number;
    return order;
}

bool IsMacroReference(const std::string& value) {
    if (value.size() < 2 || value[0] != '=') return false;
    for (size_t i = 1; i < value.size(); ++i) {
        if (!IsNameChar(value[i])) return false;
    }
    return true;
}

}  // namespace gpd
