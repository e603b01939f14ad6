// Chart requests for the chart engine's tests.
#pragma once

#include "chartrequest.h"

namespace lumtar::test {

inline ChartRequest MakeRequest(int y, int mo, int d, int h, int mi, int zone = 8, float lon = 116.4167f,
                                float lat = 39.9f, bool lunar = false, bool leap = false) {
  ChartRequest r;
  r.year = static_cast<int16_t>(y);
  r.month = static_cast<int16_t>(mo);
  r.day = static_cast<int16_t>(d);
  r.hour = static_cast<int16_t>(h);
  r.minute = static_cast<int16_t>(mi);
  r.timeZoneIndex = static_cast<int8_t>(zone);
  r.longitude = lon;
  r.latitude = lat;
  r.isLunar = lunar ? 1 : 0;
  r.isLeapMonth = leap ? 1 : 0;
  r.SetName("测试");
  r.SetPlaceName("未知地");
  return r;
}

}  // namespace lumtar::test
