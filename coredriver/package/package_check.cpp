#include <package/package_check.h>

namespace package {

std::vector<Finding> CheckPackage(const Package& package) {
    std::vector<Finding> findings = CheckGpd(package);
    if (package.ini != nullptr) {
        const std::vector<Finding> ini = CheckIni(*package.ini);
        findings.insert(findings.end(), ini.begin(), ini.end());
    }
    if (package.inf != nullptr) {
        const std::vector<Finding> inf = CheckInf(package);
        findings.insert(findings.end(), inf.begin(), inf.end());
    }
    return findings;
}

}  // namespace package
