// The plug-in configuration file against what the core driver reads from it: an [OEMFiles]
// section naming the plug-in as a configuration module, numbered from 1, file names only.
#include <package/package_check.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace package {
namespace {

constexpr const char* kNotLoaded =
    "the core driver does not load the plug-in: no ticket or capabilities document is edited";

// OEMConfigFileN and OEMDriverFileN: the kind and N; false for any other key.
bool ComponentKey(const std::string& key, std::string& kind, int& number) {
    for (const char* prefix : {"OEMConfigFile", "OEMDriverFile"}) {
        const std::string stem(prefix);
        if (key.size() <= stem.size() || !SameName(key.substr(0, stem.size()), stem)) continue;
        const std::string digits = key.substr(stem.size());
        if (digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            return false;
        }
        kind = stem;
        number = std::stoi(digits);
        return true;
    }
    return false;
}

class IniChecker {
public:
    explicit IniChecker(const SectionedFile& ini) : ini_(ini) {}

    std::vector<Finding> Run() {
        const Section* files = ini_.Find("OEMFiles");
        if (files == nullptr) {
            Add(1, "no [OEMFiles] section", kNotLoaded);
            return std::move(findings_);
        }
        for (const SectionLine& entry : files->lines) CheckEntry(entry);
        CheckNumbering();
        CheckNamesPlugin(*files);
        return std::move(findings_);
    }

private:
    void Add(int line, std::string problem, std::string consequence) {
        findings_.push_back({{ini_.Name(), line}, std::move(problem), std::move(consequence)});
    }

    void CheckEntry(const SectionLine& entry) {
        std::string kind;
        int number = 0;
        if (!ComponentKey(entry.key, kind, number)) {
            Add(entry.line, "'" + entry.text + "' is no OEMConfigFileN= or OEMDriverFileN= entry",
                "the core driver ignores it");
            return;
        }
        const size_t equals = entry.text.find('=');
        if (entry.text[equals - 1] == ' ' || entry.text[equals - 1] == '\t' ||
            (equals + 1 < entry.text.size() && (entry.text[equals + 1] == ' ' || entry.text[equals + 1] == '\t'))) {
            Add(entry.line, "blanks around '=' in " + entry.key, "the file format allows none, and the core driver may "
                                                                 "not find the module");
        }
        if (entry.value.find_first_of("/\\") != std::string::npos) {
            Add(entry.line, entry.key + " names a path", "the core driver takes a file name in the driver directory");
        }
        numbers_[kind].push_back({number, entry.line});
    }

    void CheckNumbering() {
        for (auto& [kind, entries] : numbers_) {
            std::sort(entries.begin(), entries.end());
            for (size_t i = 0; i < entries.size(); ++i) {
                const int expected = static_cast<int>(i) + 1;
                if (entries[i].first == expected) continue;
                Add(entries[i].second, kind + std::to_string(entries[i].first) + " where " + kind +
                                           std::to_string(expected) + " is due: the numbers run from 1 without gaps",
                    "the core driver may not load the modules from the gap on");
                break;
            }
        }
    }

    void CheckNamesPlugin(const Section& files) {
        const SectionLine* asRendering = nullptr;
        for (const SectionLine& entry : files.lines) {
            std::string kind;
            int number = 0;
            if (!ComponentKey(entry.key, kind, number) || !SameName(FileNameOf(entry.value), kPluginModuleName)) continue;
            if (kind == "OEMConfigFile") return;
            asRendering = &entry;
        }
        if (asRendering != nullptr) {
            Add(asRendering->line, std::string("names ") + kPluginModuleName + " as a rendering plug-in (" +
                                       asRendering->key + ")", kNotLoaded);
        } else {
            Add(files.line, std::string("[OEMFiles] has no OEMConfigFileN=") + kPluginModuleName, kNotLoaded);
        }
    }

    const SectionedFile& ini_;
    std::map<std::string, std::vector<std::pair<int, int>>> numbers_;  // kind: (N, line)
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckIni(const SectionedFile& ini) { return IniChecker(ini).Run(); }

}  // namespace package
