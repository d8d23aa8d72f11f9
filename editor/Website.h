// The maker's web site, opened by the burger menu's "Website" entry and in place of
// a missing manual. The address is the one the factory reports to hosts.
#pragma once

#include "frame/Identity.h"

namespace halcyra {

using identity::kWebsiteUrl;

}  // namespace halcyra
