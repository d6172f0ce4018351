#include "zq7/Zq7VectCom/ZqVector.h"

#include <set>

#include "zq7/Zq7Com/ZqImage.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

struct Sessions {
  std::set<DWORD> open;
  DWORD next = 1;
};

Sessions& sessions() {
  static Sessions s;
  return s;
}

}  // namespace

ZQ_EXPORT DWORD ZQVectorGdipStart() {
  return zq::Guard<DWORD>(0, [&]() -> DWORD {
    Sessions& s = sessions();
    DWORD token = s.next;
    // Tokens are not reused while open; 0 means "no session" to the callers.
    while (token == 0 || s.open.contains(token)) ++token;
    s.open.insert(token);
    s.next = token + 1;
    ZqSetErrorStatus(ZQ_OK);
    return token;
  });
}

ZQ_EXPORT void ZQVectorGdipEnd(DWORD token) {
  zq::Guard<BOOL>(FALSE, [&] { return zq::Result(sessions().open.erase(token) > 0, ZQ_ERR_BAD_PARAMETER); });
}

ZQ_EXPORT HGLOBAL ZQVectorToRaster(HGLOBAL vector, LONG bitCount, LONG background, BYTE red, BYTE green, BYTE blue) {
  return zq::Guard<HGLOBAL>(0, [&]() -> HGLOBAL {
    const WORD kind = GetImageHandleType(vector);
    const bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32;
    if (kind < ZQ_KIND_WMF || !knownDepth) {
      ZqSetErrorStatus(ZQ_ERR_BAD_PARAMETER);
      return 0;
    }
    ZqSetErrorStatus(ZQ_ERR_NOT_AVAILABLE);
    return 0;
  });
}
