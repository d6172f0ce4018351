#include "imaging/engine/Zqdllprocs.h"

#include <iterator>

#define ZQ_DEFINE_TYPED(variable, entry) entry##_t variable = nullptr;
#define ZQ_DEFINE_GENERIC(variable, entry) ZqGenericProc variable = nullptr;
ZQ7_COM_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
ZQ7_EFFECT_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
ZQ7_FILE_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
ZQ7_PRINT_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
ZQ7_SCAN_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
ZQ7_RASTOVECT_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
ZQ7_VECTCOM_ENTRIES(ZQ_DEFINE_TYPED, ZQ_DEFINE_GENERIC)
#undef ZQ_DEFINE_TYPED
#undef ZQ_DEFINE_GENERIC

namespace {

// Each slot converts the address GetProcAddress gives into the variable's own type.
#define ZQ_SLOT(variable, entry)                                                           \
  ZqEntrySlot{#entry, [](FARPROC p) { variable = reinterpret_cast<decltype(variable)>(p); }, \
              [] { return variable != nullptr; }},

const ZqEntrySlot kCom[] = {ZQ7_COM_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
const ZqEntrySlot kEffect[] = {ZQ7_EFFECT_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
const ZqEntrySlot kFile[] = {ZQ7_FILE_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
const ZqEntrySlot kPrint[] = {ZQ7_PRINT_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
const ZqEntrySlot kScan[] = {ZQ7_SCAN_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
const ZqEntrySlot kRasToVect[] = {ZQ7_RASTOVECT_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
const ZqEntrySlot kVectCom[] = {ZQ7_VECTCOM_ENTRIES(ZQ_SLOT, ZQ_SLOT)};
#undef ZQ_SLOT

template <std::size_t N>
ZqEntryGroup Group(const ZqEntrySlot (&table)[N]) {
  return {table, static_cast<int>(N)};
}

}  // namespace

ZqEntryGroup ZqEntries(ZqLibrary library) {
  switch (library) {
    case ZqLibrary::Com: return Group(kCom);
    case ZqLibrary::Effect: return Group(kEffect);
    case ZqLibrary::File: return Group(kFile);
    case ZqLibrary::Print: return Group(kPrint);
    case ZqLibrary::Scan: return Group(kScan);
    case ZqLibrary::RasToVect: return Group(kRasToVect);
    case ZqLibrary::VectCom: return Group(kVectCom);
  }
  return {nullptr, 0};
}

namespace zqdllprocs {

WORD TakeStatus() { return ZqGetErrorStatus ? ZqGetErrorStatus() : kZqStatusNoEntry; }

}  // namespace zqdllprocs
