// The one file that compiles the build number in (see Endpoints.h).
#include "app/base/Endpoints.h"

#include "GantryVersion.h"

namespace endpoints {
const int kBuildNumber = GANTRY_BUILD_NUMBER;
} // namespace endpoints
