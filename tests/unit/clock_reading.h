// Clock readings for the unit tests.
#pragma once
#include "scheduler/naming.h"

// A local clock reading with its fields as given; the weekday is not checked
// against the date.
inline LocalTimeFields Date(int year, int month, int day, int dayOfWeek, int hour, int minute, int second,
                            int millisecond = 0) {
  return LocalTimeFields{year, month, day, dayOfWeek, hour, minute, second, millisecond};
}
