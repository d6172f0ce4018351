// The common first step of a painted control's setters: store a value only when it
// differs, and say whether it did, so that the setter repaints only on a real change.
#pragma once

template <typename T>
bool StoreChanged(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}
