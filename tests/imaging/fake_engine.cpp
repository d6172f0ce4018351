#include "tests/imaging/fake_engine.h"

#ifdef FAKE_ZQ7COM

ZQ_EXPORT FakeEngineState* FakeEngine() {
  static FakeEngineState state;
  return &state;
}

ZQ_EXPORT WORD ZQGetErrorStatus() { return FakeEngine()->status; }

#else  // the file library

ZQ_EXPORT FakeEngineState* FakeEngine();

namespace {

void Record(const char* entry, LPCSTR name, ZqProgressProc cb, LPCSTR caption, LPCSTR message, LPCSTR button) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back(entry);
  s->name = name ? name : "(null)";
  s->callbackGiven = cb != nullptr;
  s->caption = caption ? caption : "(null)";
  s->message = message ? message : "(null)";
  s->button = button ? button : "(null)";
  s->callbackAnswers.clear();
  if (cb)
    for (int p : s->progress) s->callbackAnswers.push_back(cb(p));
}

}  // namespace

ZQ_EXPORT BOOL ZQFileType(LPCSTR name, LONG page, ZqFileInfo* info) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back("ZQFileType");
  s->name = name;
  s->page = page;
  if (s->typeResult) *info = s->info;
  return s->typeResult;
}

ZQ_EXPORT HGLOBAL ZQFileLoad(LPCSTR name, LONG page, LONG vw, LONG vh, ZqProgressProc cb, LPCSTR caption,
                             LPCSTR message, LPCSTR button) {
  FakeEngineState* s = FakeEngine();
  s->page = page;
  s->vectorWidth = vw;
  s->vectorHeight = vh;
  Record("ZQFileLoad", name, cb, caption, message, button);
  return s->loadResult;
}

ZQ_EXPORT HGLOBAL ZQTiffFileLoad(LPCSTR name, LONG page, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                                 LPCSTR button) {
  FakeEngine()->page = page;
  Record("ZQTiffFileLoad", name, cb, caption, message, button);
  return FakeEngine()->loadResult;
}

ZQ_EXPORT HGLOBAL ZQPngFileLoadEx(LPCSTR name, LONG mode, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                                  LPCSTR button) {
  FakeEngine()->page = mode;
  Record("ZQPngFileLoadEx", name, cb, caption, message, button);
  return FakeEngine()->loadResult;
}

ZQ_EXPORT BOOL ZQBmpFileSave(LPCSTR name, HGLOBAL image, LONG runLength, ZqProgressProc cb, LPCSTR caption,
                             LPCSTR message, LPCSTR button) {
  FakeEngine()->numbers = {static_cast<LONG>(image), runLength};
  Record("ZQBmpFileSave", name, cb, caption, message, button);
  return FakeEngine()->saveResult;
}

ZQ_EXPORT BOOL ZQGifFileSave(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE r, BYTE g, BYTE b,
                             LONG animation, LONG delay, LPCSTR comment, ZqProgressProc cb, LPCSTR caption,
                             LPCSTR message, LPCSTR button) {
  FakeEngine()->numbers = {static_cast<LONG>(image), interlace, transparent, r, g, b, animation, delay};
  FakeEngine()->comment = comment;
  Record("ZQGifFileSave", name, cb, caption, message, button);
  return FakeEngine()->saveResult;
}

ZQ_EXPORT BOOL ZQTiffFileSave(LPCSTR name, HGLOBAL image, LONG compression, LONG colorSpaceOrQuality, LONG append,
                              LPCSTR comment, LONG oneStrip, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                              LPCSTR button) {
  FakeEngine()->numbers = {static_cast<LONG>(image), compression, colorSpaceOrQuality, append, oneStrip};
  FakeEngine()->comment = comment;
  Record("ZQTiffFileSave", name, cb, caption, message, button);
  return FakeEngine()->saveResult;
}

ZQ_EXPORT BOOL ZQHTTPGetFile(LPCSTR a, LPCSTR b, LPCSTR fileName, LPCSTR c, LPCSTR d, LONG n, ZqProgressProc cb,
                             LPCSTR caption, LPCSTR message, LPCSTR button) {
  FakeEngine()->numbers = {n};
  FakeEngine()->comment = std::string(a) + "|" + b + "|" + c + "|" + d;
  Record("ZQHTTPGetFile", fileName, cb, caption, message, button);
  return FakeEngine()->saveResult;
}

#endif
