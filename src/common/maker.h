#pragma once
// The maker of the gateway, as the program names it to the user and in the
// device description it writes.
namespace gw::maker {

inline constexpr const char* kName = "Velmora";
inline constexpr const char* kWebAddress = "velmora.example";
inline constexpr const char* kHomePage = "https://www.velmora.example/";
inline constexpr const char* kEmail = "support@velmora.example";
// The postal address, three lines.
inline constexpr const char* kCompany = "Velmora Industrial Networks S.r.l.";
inline constexpr const char* kStreet = "Via dei Tessitori 27";
inline constexpr const char* kTown = "40131 Borgo Ventoso (BO) - Italy";
inline constexpr const char* kPhone = "+39 051 0000 4093";
inline constexpr const char* kFax = "+39 051 0000 4094";

} // namespace gw::maker
