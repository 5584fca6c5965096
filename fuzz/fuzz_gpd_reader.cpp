// libFuzzer target: the input is a root GPD. It is read as the core driver reads it, in a
// directory of its own that holds a few files to include (one that includes another in a cycle,
// one with features). A file that reads must select a default for each feature that has
// options, each one an option of its feature; an error must be one line naming a file. A
// violation aborts, which libFuzzer records as a finding; crashes, hangs and sanitizer reports
// are findings by themselves.
#include <gpd/gpd_model.h>
#include <gpd/gpd_values.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

[[noreturn]] void Finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "finding: %s: %s\n", what, detail.c_str());
    std::abort();
}

std::string g_root;

void WriteInclude(const std::filesystem::path& dir, const char* name, const char* text) {
    std::ofstream(dir / name, std::ios::binary) << text;
}

void CheckSelections(const gpd::GpdModel& model) {
    gpd::Selections selections;
    std::string error;
    if (!model.Select({}, selections, error)) {
        if (error.find('\n') != std::string::npos) Finding("a Select error of more than one line", error);
        return;
    }
    for (const gpd::Feature& feature : model.Features()) {
        if (feature.options.empty()) continue;
        const auto selected = selections.find(feature.name);
        if (selected == selections.end()) Finding("a feature without a selection", feature.name);
        if (feature.FindOption(selected->second) == nullptr) Finding("a selection that is not an option", selected->second);
    }
    for (const gpd::Feature& feature : model.Features()) {
        for (const auto& [keyword, assignments] : feature.attributes.Map()) {
            for (const gpd::Assignment& assignment : assignments) (void)gpd::TextValue(assignment.value);
        }
    }
    (void)model.IsXpsDriver();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("qp_fuzz_gpd_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    WriteInclude(dir, "a.gpd", "*Include: \"b.gpd\"\n");
    WriteInclude(dir, "b.gpd", "*Ifdef: WINNT_60\n*Include: \"a.gpd\"\n*Endif:\n");
    WriteInclude(dir, "c.gpd", "*Macros { Bin: Upper }\n*Feature: OutputBin\n{\n    *DefaultOption: =Bin\n"
                               "    *Option: Upper { *Name: \"Upper\" }\n    *Option: Lower { }\n}\n");
    WriteInclude(dir, "open.gpd", "*Feature: Open\n{\n");
    g_root = (dir / "fuzz.gpd").string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    gpd::ReadOptions options;
    options.defines = {"FUZZ"};
    gpd::GpdModel model;
    std::string error;
    if (!gpd::GpdModel::Parse(g_root, text, options, model, error)) {
        if (error.find('\n') != std::string::npos) Finding("an error of more than one line", error);
        if (error.rfind(std::filesystem::path(g_root).parent_path().string(), 0) != 0) Finding("an error naming no file", error);
        return 0;
    }
    CheckSelections(model);
    return 0;
}
