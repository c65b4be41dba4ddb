// The clock's host calls: the local wall-clock time and the system's zone
// settings.
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

void host_local_time(LocalTime *now) {
  SYSTEMTIME local;
  sys.GetLocalTime(&local);
  *now = {local.wSecond, local.wMinute, local.wHour, local.wDay, local.wMonth, local.wYear};
}

// The biases and whether there are transition dates are passed on; the
// dates themselves and the zone's names are of no use here.
ZoneQuery host_zone_info(ZoneInfo *zone) {
  TIME_ZONE_INFORMATION info;
  DWORD result = sys.GetTimeZoneInformation(&info);
  if (result == TIME_ZONE_ID_INVALID) return ZoneQuery::kInvalid;
  *zone = {info.Bias, info.StandardDate.wMonth, info.StandardBias, info.DaylightDate.wMonth,
           info.DaylightBias};
  switch (result) {
  case TIME_ZONE_ID_STANDARD:
    return ZoneQuery::kStandard;
  case TIME_ZONE_ID_DAYLIGHT:
    return ZoneQuery::kDaylight;
  case TIME_ZONE_ID_UNKNOWN:
    return ZoneQuery::kUnknown;
  default:
    return ZoneQuery::kInvalid;
  }
}
