#pragma once

#include <string>
#include <utility>

#include "telemetry/TelemetryTypes.h"

// How a parse ended. A file of another kind and a file of the right kind
// that is broken are told apart, and both from a disk that failed, so the
// user learns which of them it was.
enum class ParseStatus {
  kOk,             // understood; the facts are in the result
  kNotThisFormat,  // not a file this parser reads (wrong signature, empty)
  kDamaged,        // this parser's format, but cut off or malformed
  kIoError,        // the file could not be opened or read
};

// "ok", "not-this-format", "damaged" or "io-error".
const char* ParseStatusName(ParseStatus status);

struct ParseResult {
  ParseStatus status = ParseStatus::kNotThisFormat;
  std::string error;  // why, for the user; empty when ok
  MediaInfo info;     // all zero unless ok

  bool Ok() const { return status == ParseStatus::kOk; }

  static ParseResult Failure(ParseStatus status, std::string error) {
    ParseResult r;
    r.status = status;
    r.error = std::move(error);
    return r;
  }
};
