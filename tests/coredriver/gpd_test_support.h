// Reading GPD text in the tests: a model or the one-line error, and scratch files for includes.
#pragma once

#include <gpd/gpd_model.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace gpdtest {

inline gpd::GpdModel Parsed(const std::string& text, const gpd::ReadOptions& options = {}) {
    gpd::GpdModel model;
    std::string error;
    EXPECT_TRUE(gpd::GpdModel::Parse("t.gpd", text, options, model, error)) << error << "\n" << text;
    return model;
}

// The error of text that must not read.
inline std::string Failure(const std::string& text, const gpd::ReadOptions& options = {}) {
    gpd::GpdModel model;
    std::string error;
    EXPECT_FALSE(gpd::GpdModel::Parse("t.gpd", text, options, model, error)) << text;
    return error;
}

inline std::vector<std::string> FeatureNames(const gpd::GpdModel& model) {
    std::vector<std::string> names;
    for (const gpd::Feature& feature : model.Features()) names.push_back(feature.name);
    return names;
}

inline std::vector<std::string> OptionNames(const gpd::GpdModel& model, const std::string& feature) {
    std::vector<std::string> names;
    if (const gpd::Feature* found = model.FindFeature(feature)) {
        for (const gpd::Option& option : found->options) names.push_back(option.name);
    }
    return names;
}

inline gpd::Selections Defaults(const gpd::GpdModel& model, const gpd::Selections& chosen = {}) {
    gpd::Selections selections;
    std::string error;
    EXPECT_TRUE(model.Select(chosen, selections, error)) << error;
    return selections;
}

// A directory of its own for each test, removed with it.
class ScratchDirectory {
public:
    ScratchDirectory() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("qp_gpd_") + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string Write(const std::string& name, const std::string& text) const {
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.generic_string();
    }
    std::string Path(const std::string& name = "") const { return (path_ / name).generic_string(); }

private:
    std::filesystem::path path_;
};

}  // namespace gpdtest
