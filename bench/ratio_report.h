// The instruction-count table: each conversion set against the two references measured on the
// same document (parsing it into the stand-in DOM, and one walk over every node of it), and the
// growth from one size to the next; then the targets checked against it.
#pragma once

#include "bench_subjects.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace qpbench {

// What is measured on each subject's document.
enum class Operation { Parse, Walk, Convert };

const char* OperationName(Operation operation);

// One figure per operation and subject: instructions per run.
class Measurements {
public:
    void Set(Operation operation, const std::string& subjectKey, double value);
    // False when the operation was not measured on the subject (or failed).
    bool Get(Operation operation, const std::string& subjectKey, double& value) const;

    // "parse/ticket/last/10000" and back.
    static std::string Name(Operation operation, const std::string& subjectKey);
    static bool Split(const std::string& name, Operation& operation, std::string& subjectKey);

private:
    std::map<std::string, double> values_;
};

// The table in Markdown, one row per subject.
void PrintRatioTable(std::ostream& out, const std::vector<Subject>& subjects, const Measurements& measured);

// Prints one PASS or FAIL line per target and returns whether all held. Targets that need
// figures that were not measured are reported as skipped.
bool CheckTargets(std::ostream& out, const std::vector<Subject>& subjects, const Measurements& measured);

}  // namespace qpbench
