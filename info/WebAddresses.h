#pragma once

/** Every address the plug-in knows, in one place. They all lie under the reserved `.example`
    domain, so no real third party ever receives a request or a visitor from it. */
namespace WebAddresses
{
/** The maker's web domain, as the About text shows it. */
inline constexpr const char* webDomain = "www.kestrinstudio.example";

inline constexpr const char* supportEmail = "support@kestrinstudio.example";

/** The plain text of the newest released version, asked for once per editor. */
inline constexpr const char* versionFile = "https://www.kestrinstudio.example/echovane/actual_version.txt";

inline constexpr const char* productPage = "https://www.kestrinstudio.example/products/echovane";
inline constexpr const char* homePage = "https://www.kestrinstudio.example/";
inline constexpr const char* supportPage = "https://www.kestrinstudio.example/support";
inline constexpr const char* userManual = "https://www.kestrinstudio.example/downloads/Echovane-Manual.pdf";
} // namespace WebAddresses
