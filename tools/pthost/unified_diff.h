// A unified diff of two texts, line by line, computed here so that pthost needs no diff program
// on any platform.
#pragma once

#include <string>

namespace pthost {

// The lines of `before` turned into those of `after`: "--- BEFORE" and "+++ AFTER" headers, then
// "@@ -l,n +l,n @@" hunks with `context` unchanged lines around each change, as diff -u writes
// them. A last line without a line break is followed by "\ No newline at end of file". Empty
// when the two texts are equal.
std::string UnifiedDiff(const std::string& before, const std::string& after, const std::string& beforeName = "before",
                        const std::string& afterName = "after", int context = 3);

}  // namespace pthost
