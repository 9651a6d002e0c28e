#pragma once

#include <QString>

// Who the program is: the names the settings store, the data folder and the
// single-instance rule are scoped by.
namespace TAppIdentity {

constexpr const char* OrganisationName = "Cardivex";
constexpr const char* ApplicationName = "Velmora";
// The project's version (CMake's project VERSION).
extern const char* const ApplicationVersion;
constexpr const char* StyleSheetResource = ":/styles/dark-vet.css";

// Sets organisation name, application name and version on the application
// object; everything that reads a setting comes after.
void apply();
// "Cardivex Velmora": the key of the single-instance segment and the name the
// "already running" message gives.
QString instanceKey();
// The style sheet resource as text; empty when it cannot be read, which
// leaves the default style.
QString styleSheet();

} // namespace TAppIdentity
