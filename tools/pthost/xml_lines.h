// A document's text laid out one element per line, for comparing two states of it line by line.
#pragma once

#include <string>

namespace pthost {

// `xml`, well-formed XML text, with each tag, comment and processing instruction on a line of its
// own, indented two blanks per level; an element holding only text stays on one line. Text of
// white space alone between tags is dropped and every other character kept as written, so two
// documents that differ in layout alone give the same lines.
std::string OneElementPerLine(const std::string& xml);

}  // namespace pthost
