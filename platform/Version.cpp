#include "platform/Version.h"

namespace vantrel {

const char* ProductLine() { return "VANTREL " VANTREL_VERSION; }

}  // namespace vantrel
