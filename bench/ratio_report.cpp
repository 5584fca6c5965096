#include "ratio_report.h"

#include <cstdio>

namespace qpbench {
namespace {

// Every ten-fold step in size may cost at most this much more than ten-fold.
constexpr double kLinearSlack = 1.2;
// The bundled documents: each conversion at most this share of parsing the document.
constexpr double kExampleShareOfParse = 0.75;

std::string Format(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

std::string Ratio(double numerator, double denominator) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", numerator / denominator);
    return buffer;
}

std::string Growth(double now, double before) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "x%.2f", now / before);
    return buffer;
}

// The generated subject of the same kind and placement one size smaller, or null.
const Subject* Previous(const std::vector<Subject>& subjects, const Subject& subject) {
    const Subject* previous = nullptr;
    for (const Subject& other : subjects) {
        if (&other == &subject) return previous;
        if (other.generated && other.shape.kind == subject.shape.kind && other.shape.form == subject.shape.form &&
            other.shape.placement == subject.shape.placement) {
            previous = &other;
        }
    }
    return nullptr;
}

std::string DocumentColumn(const Subject& subject) {
    if (!subject.generated) return subject.key;
    return std::string(KindName(subject.shape.kind, subject.shape.form)) + " | " +
           PlacementName(subject.shape.placement) + " | " + std::to_string(subject.shape.fillerFeatures);
}

class TargetLog {
public:
    explicit TargetLog(std::ostream& out) : out_(out) {}
    void Report(bool held, const std::string& what) {
        out_ << (held ? "PASS  " : "FAIL  ") << what << "\n";
        allHeld_ = allHeld_ && held;
    }
    void Skip(const std::string& what) { out_ << "SKIP  " << what << " (not measured)\n"; }
    bool AllHeld() const { return allHeld_; }

private:
    std::ostream& out_;
    bool allHeld_ = true;
};

void CheckExample(TargetLog& log, const Subject& subject, const Measurements& measured) {
    const std::string what = std::string(MethodName(subject.conversion)) + " on " + subject.key +
                             " costs at most 0.75 of parsing it";
    double convert = 0;
    double parse = 0;
    if (!measured.Get(Operation::Convert, subject.key, convert) || !measured.Get(Operation::Parse, subject.key, parse)) {
        log.Skip(what);
        return;
    }
    log.Report(convert <= kExampleShareOfParse * parse, what + ": " + Ratio(convert, parse));
}

void CheckGrowth(TargetLog& log, const std::vector<Subject>& subjects, const Subject& subject,
                 const Measurements& measured) {
    const Subject* previous = Previous(subjects, subject);
    if (previous == nullptr) return;
    const double sizeStep = static_cast<double>(subject.shape.fillerFeatures) / previous->shape.fillerFeatures;
    const std::string what = std::string(MethodName(subject.conversion)) + " grows at most linearly from " +
                             previous->key + " to " + subject.key;
    double now = 0;
    double before = 0;
    if (!measured.Get(Operation::Convert, subject.key, now) || !measured.Get(Operation::Convert, previous->key, before)) {
        log.Skip(what);
        return;
    }
    log.Report(now <= kLinearSlack * sizeStep * before, what + ": " + Growth(now, before) + " for x" +
                                                            Growth(sizeStep, 1).substr(1) + " features");
}

}  // namespace

const char* OperationName(Operation operation) {
    switch (operation) {
        case Operation::Parse: return "parse";
        case Operation::Walk: return "walk";
        case Operation::Convert: break;
    }
    return "convert";
}

void Measurements::Set(Operation operation, const std::string& subjectKey, double value) {
    values_[Name(operation, subjectKey)] = value;
}

bool Measurements::Get(Operation operation, const std::string& subjectKey, double& value) const {
    const auto found = values_.find(Name(operation, subjectKey));
    if (found == values_.end() || !(found->second > 0)) return false;
    value = found->second;
    return true;
}

std::string Measurements::Name(Operation operation, const std::string& subjectKey) {
    return std::string(OperationName(operation)) + "/" + subjectKey;
}

bool Measurements::Split(const std::string& name, Operation& operation, std::string& subjectKey) {
    for (Operation candidate : {Operation::Parse, Operation::Walk, Operation::Convert}) {
        const std::string prefix = std::string(OperationName(candidate)) + "/";
        if (name.compare(0, prefix.size(), prefix) == 0) {
            operation = candidate;
            subjectKey = name.substr(prefix.size());
            return true;
        }
    }
    return false;
}

void PrintRatioTable(std::ostream& out, const std::vector<Subject>& subjects, const Measurements& measured) {
    out << "| document | where | features | conversion | conversion instructions | parse instructions"
           " | walk instructions | ÷ parse | ÷ walk | conversion growth | parse growth |\n";
    out << "|---|---|---:|---|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const Subject& subject : subjects) {
        double convert = 0;
        double parse = 0;
        double walk = 0;
        const bool hasConvert = measured.Get(Operation::Convert, subject.key, convert);
        const bool hasParse = measured.Get(Operation::Parse, subject.key, parse);
        const bool hasWalk = measured.Get(Operation::Walk, subject.key, walk);
        const std::string document = subject.generated ? DocumentColumn(subject) : subject.key + " | | ";
        out << "| " << document << " | " << MethodName(subject.conversion) << " | "
            << (hasConvert ? Format(convert) : "n/a") << " | " << (hasParse ? Format(parse) : "n/a") << " | "
            << (hasWalk ? Format(walk) : "n/a") << " | "
            << (hasConvert && hasParse ? Ratio(convert, parse) : "") << " | "
            << (hasConvert && hasWalk ? Ratio(convert, walk) : "") << " | ";
        const Subject* previous = subject.generated ? Previous(subjects, subject) : nullptr;
        double before = 0;
        if (previous != nullptr && hasConvert && measured.Get(Operation::Convert, previous->key, before)) {
            out << Growth(convert, before);
        }
        out << " | ";
        if (previous != nullptr && hasParse && measured.Get(Operation::Parse, previous->key, before)) {
            out << Growth(parse, before);
        }
        out << " |\n";
    }
}

bool CheckTargets(std::ostream& out, const std::vector<Subject>& subjects, const Measurements& measured) {
    TargetLog log(out);
    for (const Subject& subject : subjects) {
        if (!subject.generated) CheckExample(log, subject, measured);
    }
    for (const Subject& subject : subjects) {
        if (subject.generated) CheckGrowth(log, subjects, subject, measured);
    }
    return log.AllHeld();
}

}  // namespace qpbench
