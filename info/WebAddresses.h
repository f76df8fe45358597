#pragma once

#include <ProductFacts.h>

/** Every address the plug-in knows, each a page under the maker's home page (ProductFacts.h).
    They all lie under the reserved `.example` domain, so no real third party ever receives a
    request or a visitor from it. */
namespace WebAddresses
{
/** The plain text of the newest released version, asked for once per editor. */
inline constexpr const char* versionFile = ECHOVANE_HOME_PAGE "echovane/actual_version.txt";

inline constexpr const char* productPage = ECHOVANE_HOME_PAGE "products/echovane";
inline constexpr const char* homePage = ECHOVANE_HOME_PAGE;
inline constexpr const char* supportPage = ECHOVANE_HOME_PAGE "support";
inline constexpr const char* userManual = ECHOVANE_HOME_PAGE "downloads/Echovane-Manual.pdf";
} // namespace WebAddresses
