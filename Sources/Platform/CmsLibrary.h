#pragma once

#include "Platform/CmsSignature.h"
#include "Platform/Result.h"

namespace velto::platform::CmsLibrary {

inline constexpr const char* kSoname = "libVeltoCms.so.1";

/**
 * The CMS functions, from libVeltoCms loaded on first use: from the Frameworks
 * folder of the app that holds this code, else by the usual library search
 * (which finds it already loaded where a program links it). OpenSSL comes with
 * it, so a host whose bundles are all ad hoc never maps a crypto library.
 * The reason when it cannot be loaded; it is tried once per process.
 */
Result<const CmsSignature::Api*> api();

} // namespace velto::platform::CmsLibrary
