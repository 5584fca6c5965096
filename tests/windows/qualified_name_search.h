// MSXML's getElementsByTagName matches the qualified name as written ("psf:Feature"), and the
// module's searches depend on it. Wine's MSXML matches the local name alone: "psf:Feature" finds
// nothing and "Feature" finds Feature elements of every namespace. So that conversions can be
// checked under Wine, this program (and only this program: never the module, never pthost.exe)
// replaces that one method of Wine's element objects with a query of the qualified name, which
// models the documented MSXML behaviour.
#pragma once

namespace wintest {

enum class ElementSearch {
    Qualified,          // the runtime's own method matches qualified names
    ReplacedLocalOnly,  // the runtime matched local names only; its method has been replaced
    Unknown,            // neither behaviour could be shown: conversions cannot be trusted here
};

// Probes the runtime's element search once and installs the replacement where it matches local
// names only. Later calls return the first answer.
ElementSearch MatchQualifiedNamesInElementSearch();

const char* Describe(ElementSearch search);

}  // namespace wintest
