// Places: the province list, the cities of dat/dili.ini with their
// coordinates, and the text the coordinate boxes show.
//
// dat/dili.ini has one section per province (named as in ProvinceNames,
// "未知地" has none) and one key per city, in list order. A value is
// "longitude degrees:minutes*latitude degrees:minutes", east and north
// positive, the minutes taking the sign of the degrees ("-120:30" is
// -120.5). No widgets here: the main window's lists and the place editor
// build on these functions.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace lumtar {

class IniFile;

inline constexpr int kProvinceCount = 35;
// Provinces with a section in dili.ini (every one but the last).
inline constexpr int kEditableProvinceCount = 34;
// The last entry of the province list, "未知地".
inline constexpr int kUnknownProvinceIndex = 34;

// The province list in its fixed order (UTF-8): 0 福建省 … 33 澳门, 34 未知地.
extern const std::array<const char*, kProvinceCount> ProvinceNames;

inline constexpr const char* kUnknownPlaceName = "未知地";
inline constexpr const char* kPlacesRelativePath = "dat/dili.ini";
// What a city reads as when its value cannot be found.
inline constexpr const char* kDefaultCityValue = "120:0*30:0";
// The coordinate boxes for "未知地".
inline constexpr const char* kUnknownLongitudeText = "120:00";
inline constexpr const char* kUnknownLatitudeText = "30:00";
inline constexpr float kUnknownLongitude = 120.0f;
inline constexpr float kUnknownLatitude = 30.0f;

// The four pieces of a stored value, as text: split at the first '*', each
// half at its first ':'. A value without '*' is all longitude; a half
// without ':' is all degrees.
struct CityValuePieces {
  std::string longitudeDegrees;
  std::string longitudeMinutes;
  std::string latitudeDegrees;
  std::string latitudeMinutes;
};
CityValuePieces SplitCityValue(const std::string& value);

// The value text for degrees and minutes: "%d:%d*%d:%d".
std::string FormatCityValue(int longitudeDegrees, int longitudeMinutes, int latitudeDegrees,
                            int latitudeMinutes);

// Degrees and minutes to degrees, the minutes taking the sign of the
// degrees: (-120, 30) is -120.5.
float DegreesMinutesToFloat(int degrees, int minutes);

// Reads a stored value into longitude and latitude. False when it does not
// have the form of the value text (no '*', no ':', or a piece that is no
// decimal integer); the outputs are then untouched.
bool ParseCityValue(const std::string& value, float* longitude, float* latitude);

// The coordinate box text of v: "%d:%d" with the degrees truncated toward
// zero and the minutes |v - degrees| * 60 to the nearest integer, an exact
// half going down (120.125 shows as "120:7"). Minutes that would round up
// to 60 carry into the degrees. A value between -1 and 0 shows as "-0:m".
std::string CoordinateBoxText(double v);

// The cities of one province as the main window lists them, with their
// coordinates in degrees.
struct ProvinceCities {
  std::vector<std::string> names;
  std::vector<float> longitudes;
  std::vector<float> latitudes;
  int size() const { return static_cast<int>(names.size()); }
};

// Reads the cities of `province` (an index into ProvinceNames) from `ini`.
// "未知地" gives the single city "未知地" at 120, 30; a missing or empty
// section gives no city; an index out of range gives no city and false.
// A malformed value stops the reading: the cities before it are kept, the
// function returns false and `error` (when given) says which city it was.
bool ReadProvinceCities(const IniFile& ini, int province, ProvinceCities* out,
                        std::string* error = nullptr);

// The city names of a province's section, in file order.
std::vector<std::string> ReadCityNames(const IniFile& ini, int province);

// A city's stored value, kDefaultCityValue when it cannot be found.
std::string ReadCityValue(const IniFile& ini, int province, const std::string& city);

// The place text of a chart request: "province-city", or "未知地" for the
// last province entry.
std::string PlaceNameOf(int province, const std::string& city);

// Checks of the place editor. Parses degrees and minutes (unparsable
// degrees count as -300, unparsable minutes as -1) and accepts only
// -limit < degrees < limit and 0 <= minutes < 60.
bool ParseEditorCoordinate(const std::string& degreesText, const std::string& minutesText,
                           int limit, int* degrees, int* minutes);

}  // namespace lumtar
