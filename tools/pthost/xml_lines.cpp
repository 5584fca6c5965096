#include "xml_lines.h"

#include <string_view>
#include <vector>

namespace pthost {
namespace {

enum class Kind { StartTag, EndTag, EmptyTag, Text, Other };

struct Token {
    Kind kind;
    std::string_view text;
};

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// The end of the markup that starts at `start` ('<'), one past its last character.
size_t MarkupEnd(std::string_view xml, size_t start) {
    const auto after = [&](std::string_view close) {
        const size_t found = xml.find(close, start);
        return found == std::string_view::npos ? xml.size() : found + close.size();
    };
    if (xml.substr(start, 4) == "<!--") return after("-->");
    if (xml.substr(start, 9) == "<![CDATA[") return after("]]>");
    if (xml.substr(start, 2) == "<?") return after("?>");
    // A tag or a declaration: '>' inside quotes or inside a DOCTYPE's [...] does not end it.
    char quote = 0;
    int brackets = 0;
    for (size_t i = start + 1; i < xml.size(); ++i) {
        const char c = xml[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            --brackets;
        } else if (c == '>' && brackets <= 0) {
            return i + 1;
        }
    }
    return xml.size();
}

Kind MarkupKind(std::string_view markup) {
    if (markup.starts_with("<![CDATA[")) return Kind::Text;
    if (markup.starts_with("<!") || markup.starts_with("<?")) return Kind::Other;
    if (markup.starts_with("</")) return Kind::EndTag;
    return markup.ends_with("/>") ? Kind::EmptyTag : Kind::StartTag;
}

std::vector<Token> Tokens(std::string_view xml) {
    std::vector<Token> tokens;
    size_t at = 0;
    while (at < xml.size()) {
        const size_t end = xml[at] == '<' ? MarkupEnd(xml, at) : std::min(xml.find('<', at), xml.size());
        const std::string_view text = xml.substr(at, end - at);
        const Kind kind = xml[at] == '<' ? MarkupKind(text) : Kind::Text;
        if (kind != Kind::Text || !IsBlank(text)) tokens.push_back(Token{kind, text});
        at = end;
    }
    return tokens;
}

void Line(int depth, std::string_view text, std::string& out) {
    out.append(static_cast<size_t>(depth > 0 ? 2 * depth : 0), ' ');
    out += text;
    out += '\n';
}

}  // namespace

std::string OneElementPerLine(const std::string& xml) {
    const std::vector<Token> tokens = Tokens(xml);
    std::string out;
    int depth = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        const bool textOnly = token.kind == Kind::StartTag && i + 2 < tokens.size() &&
                              tokens[i + 1].kind == Kind::Text && tokens[i + 2].kind == Kind::EndTag;
        if (textOnly) {
            Line(depth, std::string(token.text) + std::string(tokens[i + 1].text) + std::string(tokens[i + 2].text),
                 out);
            i += 2;
            continue;
        }
        if (token.kind == Kind::EndTag) --depth;
        Line(depth, token.text, out);
        if (token.kind == Kind::StartTag) ++depth;
    }
    return out;
}

}  // namespace pthost
