#include <package/package_check.h>

#include <algorithm>

namespace package {
namespace {

// Findings in reading order: by file, in the order `files` gives (others last), then by line.
void SortByPlace(std::vector<Finding>& findings, const std::vector<std::string>& files) {
    const auto rank = [&](const Finding& finding) {
        return std::find(files.begin(), files.end(), finding.where.file) - files.begin();
    };
    std::stable_sort(findings.begin(), findings.end(), [&](const Finding& a, const Finding& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a.where.line < b.where.line;
    });
}

void Append(std::vector<Finding>& findings, std::vector<Finding> part) {
    SortByPlace(part, {});
    findings.insert(findings.end(), part.begin(), part.end());
}

}  // namespace

std::vector<Finding> CheckPackage(const Package& package) {
    std::vector<Finding> findings = CheckGpd(package);
    SortByPlace(findings, package.model.Files());
    if (package.ini != nullptr) Append(findings, CheckIni(*package.ini));
    if (package.inf != nullptr) Append(findings, CheckInf(package));
    return findings;
}

}  // namespace package
