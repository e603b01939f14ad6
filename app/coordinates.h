// Reading the longitude and latitude boxes of the input panel: "degrees:
// minutes", east and north positive, e.g. 117:48 and 25:42.
#pragma once

#include <string>

namespace lumtar {

// Why a reading failed; each has its own message box.
enum class CoordinateError {
  None,
  Format,     // a box shorter than 3 characters, without ':' or ending in it
  Longitude,  // longitude degrees outside -180..180
  Minutes,    // minutes outside 0..59
  Latitude,   // latitude degrees outside -90..90
  Limit,      // the value on or beyond ±180 / ±90
};

struct CoordinateMessage {
  const char* text;
  const char* caption;
};

// The text and caption of the message of a failure (all with an error icon).
CoordinateMessage MessageOf(CoordinateError error);

// Reads both boxes (UTF-8). Degrees and minutes are decimal integers on
// either side of the first ':'; a piece that is no integer is out of range.
// The sign is the text's: "-117:48" is -117.8 and "-0:30" is -0.5. The
// outputs are set only on success.
CoordinateError ReadCoordinates(const std::string& longitudeText, const std::string& latitudeText,
                                float* longitude, float* latitude);

}  // namespace lumtar
