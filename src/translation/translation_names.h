// The Print Schema and GPD names the translation passes move between the driver's vocabulary
// and the public keywords. Namespaces are in common/constants.h.
#pragma once

#include <platform/platform.h>

namespace qp::translation_names {

// Presentation direction: a feature of its own in the driver's namespace, a sub-feature of the
// N-up feature under its public name.
inline constexpr const WCHAR* kJobPresentationDirection = W("JobPresentationDirection");
inline constexpr const WCHAR* kPresentationDirection = W("PresentationDirection");
inline constexpr const WCHAR* kJobNUpAllDocumentsContiguously = W("JobNUpAllDocumentsContiguously");

// Output bins.
inline constexpr const WCHAR* kJobOutputBin = W("JobOutputBin");
inline constexpr const WCHAR* kBinType = W("BinType");

// Hole punching.
inline constexpr const WCHAR* kJobHolePunch = W("JobHolePunch");
inline constexpr const WCHAR* kHoleCount = W("HoleCount");

// GPD features and options, as the core driver names them in GetOption (8-bit).
inline constexpr const char* kGpdPunchHole = "PunchHole";
inline constexpr const char* kGpdPunch = "Punch";
inline constexpr const char* kGpdPunchOff = "NONE";

}  // namespace qp::translation_names
