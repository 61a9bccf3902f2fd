#include "telemetry/ParseResult.h"

const char* ParseStatusName(ParseStatus status) {
  switch (status) {
    case ParseStatus::kOk: return "ok";
    case ParseStatus::kNotThisFormat: return "not-this-format";
    case ParseStatus::kDamaged: return "damaged";
    case ParseStatus::kIoError: break;
  }
  return "io-error";
}
