#include "coordinates.h"

#include "inifile.h"

namespace lumtar {
namespace {

// What a piece that is no integer counts as: out of every range.
constexpr int kNotANumber = 1000000;

size_t CharacterCount(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

int IntegerOf(const std::string& text) {
  int v;
  return IniFile::ParseInteger(text, &v) ? v : kNotANumber;
}

bool HasMinusSign(const std::string& text) {
  size_t i = text.find_first_not_of(" \t");
  return i != std::string::npos && text[i] == '-';
}

struct Pieces {
  std::string degrees;
  std::string minutes;
};

// Splits at the first ':'; false when there is none or it ends the text.
bool Split(const std::string& text, Pieces* out) {
  size_t colon = text.find(':');
  if (colon == std::string::npos || colon + 1 == text.size()) return false;
  out->degrees = text.substr(0, colon);
  out->minutes = text.substr(colon + 1);
  return true;
}

// Reads one coordinate whose degrees must lie in -limit..limit.
CoordinateError ReadOne(const Pieces& p, int limit, CoordinateError degreeError, double* value) {
  int degrees = IntegerOf(p.degrees);
  if (degrees < -limit || degrees > limit) return degreeError;
  int minutes = IntegerOf(p.minutes);
  if (minutes < 0 || minutes > 59) return CoordinateError::Minutes;
  // The sign belongs to the whole value, also when the degrees are 0:
  // "-0:30" is half a degree west or south.
  double magnitude = (degrees < 0 ? -degrees : degrees) + minutes / 60.0;
  *value = HasMinusSign(p.degrees) ? -magnitude : magnitude;
  return CoordinateError::None;
}

}  // namespace

CoordinateMessage MessageOf(CoordinateError error) {
  switch (error) {
    case CoordinateError::Format:
      return {"例如:东经117度48分,北纬25度42分,就按以下格式输入:\n 经度=117:48  纬度=25:42\n"
              "注意:东经为正，西经为负。北纬为正，南纬为负。",
              "格式错误"};
    case CoordinateError::Longitude: return {"经度在-180至180之间", "经度错误"};
    case CoordinateError::Minutes: return {"分数在0-59", "格式错误"};
    case CoordinateError::Latitude: return {"纬度在-90至90之间", "纬度错误"};
    case CoordinateError::Limit: return {"经度在-180至180之间，纬度在-90至90之间", "数据无效"};
    case CoordinateError::None: break;
  }
  return {"", ""};
}

CoordinateError ReadCoordinates(const std::string& longitudeText, const std::string& latitudeText,
                                float* longitude, float* latitude) {
  if (CharacterCount(longitudeText) < 3 || CharacterCount(latitudeText) < 3)
    return CoordinateError::Format;
  Pieces lon, lat;
  if (!Split(longitudeText, &lon) || !Split(latitudeText, &lat)) return CoordinateError::Format;

  double x = 0, y = 0;
  if (CoordinateError e = ReadOne(lon, 180, CoordinateError::Longitude, &x); e != CoordinateError::None)
    return e;
  if (CoordinateError e = ReadOne(lat, 90, CoordinateError::Latitude, &y); e != CoordinateError::None)
    return e;
  // The request keeps single precision; the limits hold for what it keeps.
  float fx = static_cast<float>(x), fy = static_cast<float>(y);
  if (!(fx > -180 && fx < 180 && fy > -90 && fy < 90)) return CoordinateError::Limit;
  *longitude = fx;
  *latitude = fy;
  return CoordinateError::None;
}

}  // namespace lumtar
