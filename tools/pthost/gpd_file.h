// The features, options and default options of a GPD file, as the core driver answers
// IPrintCoreHelper::GetOption from them. Everything else in the file is read only to be skipped:
// other entries, quoted strings, <BeginValue>...<EndValue> values, continuation lines, *%
// comments and the blocks of *Switch, *Case and the like. *Include is not followed.
#pragma once

#include <session/core_driver_session.h>

#include <string>
#include <vector>

namespace pthost {

struct GpdFeature {
    std::string name;
    std::vector<std::string> options;  // in file order
    std::string defaultOption;         // empty when the feature names none
    int defaultLine = 0;
};

class GpdFile {
public:
    // Reads the GPD at `path`. False with one line: "pthost: FILE: reason" when it cannot be
    // read, "FILE:LINE: reason" when it is malformed.
    static bool Read(const std::string& path, GpdFile& gpd, std::string& error);
    // The same for GPD text; `name` names it in messages.
    static bool Parse(const std::string& name, const std::string& text, GpdFile& gpd, std::string& error);

    const std::vector<GpdFeature>& Features() const { return features_; }

    // What the DEVMODE selects: every feature's default option (its first option when it names
    // none), with `chosen` overriding. False with a message listing what the GPD has when
    // `chosen` names a feature or an option the GPD does not declare.
    bool Select(const GpdSelections& chosen, GpdSelections& selections, std::string& error) const;

private:
    friend class GpdParser;

    // False with the message when the GPD does not declare the feature or its option.
    bool CheckChoice(const std::string& name, const std::string& option, std::string& error) const;

    std::string name_;
    std::vector<GpdFeature> features_;
};

}  // namespace pthost
