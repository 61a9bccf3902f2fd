#pragma once

namespace vantrel {

// Product name and version as shown by the about box and `vantrel-cli --version`.
inline constexpr const char* kProductName = "VANTREL";
inline constexpr const char* kProductVersion = VANTREL_VERSION;

const char* ProductLine();  // "VANTREL 3.0"

}  // namespace vantrel
