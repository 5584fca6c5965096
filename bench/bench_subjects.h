// The documents the suite measures and the conversion each one is given: the bundled examples,
// and generated tickets and capabilities of growing size with the edited features first, in the
// middle and last.
#pragma once

#include "bench_host.h"
#include "document_generator.h"

#include <memory>
#include <string>
#include <vector>

namespace qpbench {

struct Subject {
    std::string key;         // "example/ticket", "ticket/last/10000"
    bool generated = false;  // false for the bundled examples
    DocumentShape shape;     // for generated documents
    Conversion conversion = Conversion::DevModeToPrintTicket;
    std::shared_ptr<const DocumentText> text;
    // What the converted document must contain, as a check that the conversion did its work.
    std::vector<std::string> expectedAfter;
};

// The bundled examples: the PrintTicket (to a ticket), the PrintTicket that conversion produced
// (back to a DEVMODE) and the PrintCapabilities. Empty, with `error` set, when one cannot be read
// or converted.
std::vector<Subject> ExampleSubjects(CoreDriverSession& session, std::string& error);

// Reads a comma-separated list of feature counts ("10,100,1000") into `sizes`, ascending; false
// when an item is not a positive number.
bool ParseSizeList(const std::string& text, std::vector<int>& sizes);

// Generated documents of each size, each kind and each placement.
std::vector<Subject> GeneratedSubjects(const std::vector<int>& sizes);

// Opens the provider session and gathers the subjects: the bundled examples, then, unless
// `examplesOnly`, the generated documents of `sizes`. Null, with `error` set, on failure.
std::unique_ptr<CoreDriverSession> OpenSubjects(bool examplesOnly, const std::vector<int>& sizes,
                                              std::vector<Subject>& subjects, std::string& error);

// Converts one fresh copy of the subject's document and checks the result: S_OK and every
// expected fragment present. Empty on success, else what was wrong.
std::string CheckSubject(CoreDriverSession& session, const Subject& subject);

}  // namespace qpbench
