// The version texts of an engine library. Compiled into every engine library with its
// own name and the project's version, and read by the about boxes through the loader.
#include "zq7/Zq7Api.h"

ZQ_EXPORT const ZqVersionRecord* ZqVersionInfo() {
  static const ZqVersionRecord record{ZQ_FILE_VERSION, ZQ_PRODUCT_VERSION, ZQ_LIBRARY_NAME " imaging engine library"};
  return &record;
}
