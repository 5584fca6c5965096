// GpdModel::Read and Parse: the three stages of reading, one after the other.
#include <gpd/gpd_model.h>
#include <gpd/gpd_model_builder.h>
#include <gpd/gpd_preprocessor.h>

namespace gpd {

bool GpdModel::Parse(const std::string& name, const std::string& text, const ReadOptions& options, GpdModel& model,
                     std::string& error) {
    try {
        SourceText source;
        Preprocessor(options, source).Run(name, text);
        GpdModel built;
        ModelBuilder(source, built).Run();
        if (built.features_.empty()) {
            built.warnings_.push_back(Diagnostic{SourceLocation{name, 1}, "declares no *Feature, nor do the files it includes"});
        }
        model = std::move(built);
        return true;
    } catch (const ReadFailure& failure) {
        error = failure.what();
        return false;
    }
}

bool GpdModel::Read(const std::string& path, const ReadOptions& options, GpdModel& model, std::string& error) {
    std::string text;
    std::string reason;
    if (!ReadWholeFile(path, text, reason)) {
        error = path + ": cannot read: " + reason;
        return false;
    }
    return Parse(path, text, options, model, error);
}

}  // namespace gpd
