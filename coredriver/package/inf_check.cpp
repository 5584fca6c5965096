// The INF against what the installed driver needs to run the plug-in: an install section that
// names the GPD as its DataFile and copies the GPD files, the .ini and the module, in the
// package-aware form that names the core drivers' sections and declares the dependency on them.
#include <package/package_check.h>

#include <gpd/gpd_values.h>

#include <algorithm>

namespace package {
namespace {

constexpr const char* kUnidrv = "{D20EA372-DD35-4950-9ED8-A6335AFE79F0}";
constexpr const char* kXpsDrv = "{D20EA372-DD35-4950-9ED8-A6335AFE79F5}";

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& each) { return SameName(each, name); });
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && SameName(text.substr(text.size() - tail.size()), tail);
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.size() >= head.size() && SameName(text.substr(0, head.size()), head);
}

// Every field of a value, nested quoted lists flattened: CoreDriverSections="{GUID},A,B","{GUID},C".
std::vector<std::string> AllFields(const std::string& value) {
    std::vector<std::string> all;
    for (const std::string& field : SplitFields(value)) {
        for (const std::string& inner : SplitFields(field)) all.push_back(inner);
    }
    return all;
}

class InfChecker {
public:
    explicit InfChecker(const Package& package) : package_(package), inf_(*package.inf) {}

    std::vector<Finding> Run() {
        bool installs = false;
        for (const Section& section : inf_.Sections()) {
            if (section.Find("DataFile") == nullptr) continue;
            installs = true;
            CheckInstallSection(section);
        }
        if (!installs) Add(1, "no install section names a DataFile", "the INF installs no GPD, and no plug-in with it");
        CheckPackageInstallation();
        CheckModelName();
        return std::move(findings_);
    }

private:
    void Add(int line, std::string problem, std::string consequence) {
        findings_.push_back({{inf_.Name(), line}, std::move(problem), std::move(consequence)});
    }

    // The core drivers the package depends on: Unidrv, and XPSDrv for an XPSDrv GPD.
    std::vector<std::pair<const char*, const char*>> CoreDrivers() const {
        std::vector<std::pair<const char*, const char*>> drivers = {{"Unidrv", kUnidrv}};
        if (package_.model.IsXpsDriver()) drivers.push_back({"XPSDrv", kXpsDrv});
        return drivers;
    }

    void CheckInstallSection(const Section& section) {
        const SectionLine& data = *section.Find("DataFile");
        const std::string gpd = FileNameOf(package_.gpdPath);
        if (!SameName(FileNameOf(data.value), gpd)) {
            Add(data.line, "DataFile=" + data.value + " is not the GPD checked (" + gpd + ")",
                "the installed driver reads another GPD than this one");
        }
        for (const char* key : {"Include", "Needs", "DataSection"}) {
            if (const SectionLine* old = section.Find(key)) {
                Add(old->line, std::string(key) + "= is the pre-Vista form of taking the core driver",
                    "a package-aware driver names the core driver's sections with CoreDriverSections instead");
            }
        }
        CheckCoreDriverSections(section);
        CheckCopiedFiles(section);
    }

    void CheckCoreDriverSections(const Section& section) {
        const SectionLine* core = section.Find("CoreDriverSections");
        if (core == nullptr) {
            Add(section.line, "[" + section.name + "] has no CoreDriverSections",
                "the core driver's own files are not installed with the driver");
            return;
        }
        const std::vector<std::string> fields = AllFields(core->value);
        for (const auto& [name, guid] : CoreDrivers()) {
            if (Contains(fields, guid)) continue;
            Add(core->line, std::string("CoreDriverSections does not name the ") + name + " core driver " + guid,
                std::string("the ") + name + " files the driver runs on are not installed with it");
        }
    }

    // The files the section's CopyFiles copies: each listed section's destination names, and
    // the @file entries.
    std::vector<std::string> CopiedFiles(const SectionLine& copy) {
        std::vector<std::string> files;
        for (const std::string& field : SplitFields(copy.value)) {
            if (field.empty()) continue;
            if (field.rfind('@', 0) == 0) {
                files.push_back(field.substr(1));
                continue;
            }
            const Section* list = inf_.Find(field);
            if (list == nullptr) {
                Add(copy.line, "CopyFiles names [" + field + "], which the INF lacks", "its files are not copied");
                continue;
            }
            for (const SectionLine& entry : list->lines) files.push_back(FileNameOf(SplitFields(entry.text).front()));
        }
        return files;
    }

    void CheckCopiedFiles(const Section& section) {
        const SectionLine* copy = section.Find("CopyFiles");
        const std::vector<std::string> copied = copy ? CopiedFiles(*copy) : std::vector<std::string>();
        const int line = copy ? copy->line : section.line;
        const std::string where = "[" + section.name + "] copies no ";
        for (const std::string& file : package_.model.Files()) {
            const std::string name = FileNameOf(file);
            if (Contains(copied, name)) continue;
            Add(line, where + name + (name == FileNameOf(package_.gpdPath) ? " (the root GPD)" : " (a GPD it includes)"),
                "the core driver cannot read the GPD, and the plug-in's features are missing");
        }
        const bool iniCopied = package_.ini != nullptr
                                   ? Contains(copied, FileNameOf(package_.ini->Name()))
                                   : std::any_of(copied.begin(), copied.end(),
                                                 [](const std::string& name) { return EndsWith(name, ".ini"); });
        if (!iniCopied) {
            Add(line, where + (package_.ini ? FileNameOf(package_.ini->Name()) : std::string("plug-in configuration file (.ini)")),
                "the core driver does not learn of the plug-in and never loads it");
        }
        if (!Contains(copied, kPluginModuleName)) {
            Add(line, where + kPluginModuleName, "the core driver cannot load the plug-in");
        }
    }

    void CheckPackageInstallation() {
        bool packageAware = false;
        for (const Section& section : inf_.Sections()) {
            if (!StartsWith(section.name, "PrinterPackageInstallation")) continue;
            const SectionLine* aware = section.Find("PackageAware");
            packageAware = packageAware || (aware != nullptr && SameName(aware->value, "TRUE"));
            const SectionLine* dependencies = section.Find("CoreDriverDependencies");
            const std::vector<std::string> fields = dependencies ? AllFields(dependencies->value) : std::vector<std::string>();
            for (const auto& [name, guid] : CoreDrivers()) {
                if (Contains(fields, guid)) continue;
                Add(dependencies ? dependencies->line : section.line,
                    "[" + section.name + "] does not declare the dependency on the " + name + " core driver " + guid,
                    "the driver may be installed where that core driver is not");
            }
        }
        if (!packageAware) {
            Add(1, "no [PrinterPackageInstallation.<arch>] section with PackageAware=TRUE",
                "the driver is not installed as package-aware, and its core drivers are not declared");
        }
    }

    // A key as written, quotes dropped and a %string% token looked up in [Strings].
    std::string Resolved(const std::string& key) const {
        std::string text = SplitFields(key).front();
        if (text.size() < 2 || text.front() != '%' || text.back() != '%') return text;
        const Section* strings = inf_.Find("Strings");
        const SectionLine* entry = strings ? strings->Find(text.substr(1, text.size() - 2)) : nullptr;
        return entry ? SplitFields(entry->value).front() : text;
    }

    void CheckModelName() {
        const std::optional<std::string> written = package_.model.Root().Value("*ModelName");
        if (!written) return;
        const std::string model = gpd::TextValue(*written).value_or(*written);
        for (const Section& section : inf_.Sections()) {
            for (const SectionLine& entry : section.lines) {
                if (entry.HasKey() && Resolved(entry.key) == model) return;
            }
        }
        Add(1, "no models section names \"" + model + "\", the GPD's *ModelName",
            "the installed model's name and the GPD's differ");
    }

    const Package& package_;
    const SectionedFile& inf_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckInf(const Package& package) { return InfChecker(package).Run(); }

}  // namespace package
