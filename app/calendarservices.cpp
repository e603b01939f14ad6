#include "calendarservices.h"

namespace lumtar {

calendar::MYiDateEx& CalendarDateService() {
  static calendar::MYiDateEx service;
  return service;
}

const calendar::obb_class& CalendarEraService() {
  static const calendar::obb_class service;
  return service;
}

}  // namespace lumtar
