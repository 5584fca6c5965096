// The features a GDI-mode (not XPSDrv) core driver adds of its own, which no GPD declares:
// pages per sheet with its presentation direction, and page order. Their Print Schema form is
// not published; this is the least a driver developer should expect to see.
#pragma once

#include <print_schema/document_content.h>

#include <vector>

namespace print_schema {

// The features, each with its default option selected.
std::vector<FeatureContent> HardCodedFeatures();

}  // namespace print_schema
