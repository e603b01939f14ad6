// The date service and the era-name service shared by every perpetual
// calendar window. Both are made on first use and live until the program
// ends; nothing else uses these two instances.
#pragma once

#include "lunar.h"
#include "yidateex.h"

namespace lumtar {

calendar::MYiDateEx& CalendarDateService();
const calendar::obb_class& CalendarEraService();

}  // namespace lumtar
