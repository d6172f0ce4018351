#include "tests/imaging/fake_engine.h"

#include <initializer_list>

#ifdef FAKE_ZQ7COM

ZQ_EXPORT FakeEngineState* FakeEngine() {
  static FakeEngineState state;
  return &state;
}

ZQ_EXPORT WORD ZQGetErrorStatus() { return FakeEngine()->status; }

#else  // the file library

#include <cstring>
#include <type_traits>

#include "imaging/engine/Zqproctypes.h"

ZQ_EXPORT FakeEngineState* FakeEngine();

namespace {

std::string Text(LPCSTR text) { return text ? text : "(null)"; }

std::string Joined(std::initializer_list<LPCSTR> texts) {
  std::string joined;
  for (LPCSTR t : texts) joined += (joined.empty() ? "" : "|") + Text(t);
  return joined;
}

// Records the call and drives the callback through the scripted percentages. The
// answers are stored after the last report, so that a call made from inside the
// callback (a nested operation) does not leave its own answers in their place.
void Record(const char* entry, LPCSTR name, ZqProgressProc cb, LPCSTR caption, LPCSTR message, LPCSTR button) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back(entry);
  s->name = Text(name);
  s->callbackGiven = cb != nullptr;
  s->caption = Text(caption);
  s->message = Text(message);
  s->button = Text(button);
  std::vector<int> answers;
  if (cb) {
    const std::vector<int> progress = s->progress;
    for (int p : progress) answers.push_back(cb(p));
  }
  s->callbackAnswers = answers;
}

BOOL Saved(const char* entry, LPCSTR name, HGLOBAL image, std::initializer_list<LONG> numbers, LPCSTR comment,
           ZqProgressProc cb, LPCSTR caption, LPCSTR message, LPCSTR button) {
  FakeEngineState* s = FakeEngine();
  s->numbers = {static_cast<LONG>(image)};
  s->numbers.insert(s->numbers.end(), numbers);
  s->comment = Text(comment);
  Record(entry, name, cb, caption, message, button);
  return s->saveResult;
}

BOOL Dialog(const char* entry, QWidget* owner, LPSTR fileName, LPCSTR path, LPCSTR extensions, LONG preview) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back(entry);
  s->owner = owner;
  s->name = Text(fileName);
  s->comment = Joined({path, extensions});
  s->numbers = {preview};
  if (s->saveResult) std::strcpy(fileName, s->dialogName.c_str());
  return s->saveResult;
}

BOOL Transferred(const char* entry, LPCSTR a, LPCSTR b, LPCSTR fileName, LPCSTR c, LPCSTR d, LONG n,
                 ZqProgressProc cb, LPCSTR caption, LPCSTR message, LPCSTR button) {
  FakeEngine()->numbers = {n};
  FakeEngine()->comment = Joined({a, b, c, d});
  Record(entry, fileName, cb, caption, message, button);
  return FakeEngine()->saveResult;
}

}  // namespace

// Each stand-in has the signature the entry-point table calls it with.
#define FAKE_SIGNATURE(entry) static_assert(std::is_same_v<decltype(&::entry), entry##_t>, #entry)

ZQ_EXPORT BOOL ZQFileType(LPCSTR name, LONG page, ZqFileInfo* info) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back("ZQFileType");
  s->name = name;
  s->page = page;
  if (s->typeResult) *info = s->info;
  return s->typeResult;
}
FAKE_SIGNATURE(ZQFileType);

ZQ_EXPORT HGLOBAL ZQFileLoad(LPCSTR name, LONG page, LONG vw, LONG vh, ZqProgressProc cb, LPCSTR caption,
                             LPCSTR message, LPCSTR button) {
  FakeEngineState* s = FakeEngine();
  s->page = page;
  s->vectorWidth = vw;
  s->vectorHeight = vh;
  Record("ZQFileLoad", name, cb, caption, message, button);
  return s->loadResult;
}
FAKE_SIGNATURE(ZQFileLoad);

ZQ_EXPORT HGLOBAL ZQTiffFileLoad(LPCSTR name, LONG page, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                                 LPCSTR button) {
  FakeEngine()->page = page;
  Record("ZQTiffFileLoad", name, cb, caption, message, button);
  return FakeEngine()->loadResult;
}
FAKE_SIGNATURE(ZQTiffFileLoad);

ZQ_EXPORT HGLOBAL ZQPngFileLoadEx(LPCSTR name, LONG mode, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                                  LPCSTR button) {
  FakeEngine()->page = mode;
  Record("ZQPngFileLoadEx", name, cb, caption, message, button);
  return FakeEngine()->loadResult;
}
FAKE_SIGNATURE(ZQPngFileLoadEx);

ZQ_EXPORT BOOL ZQBmpFileSave(LPCSTR name, HGLOBAL image, LONG runLength, ZqProgressProc cb, LPCSTR caption,
                             LPCSTR message, LPCSTR button) {
  return Saved("ZQBmpFileSave", name, image, {runLength}, nullptr, cb, caption, message, button);
}
FAKE_SIGNATURE(ZQBmpFileSave);

ZQ_EXPORT BOOL ZQJpegFileSave(LPCSTR name, HGLOBAL image, LONG progressive, LONG quality, LONG subsampling,
                              LPCSTR comment, ZqProgressProc cb, LPCSTR caption, LPCSTR message, LPCSTR button) {
  return Saved("ZQJpegFileSave", name, image, {progressive, quality, subsampling}, comment, cb, caption, message,
               button);
}
FAKE_SIGNATURE(ZQJpegFileSave);

ZQ_EXPORT BOOL ZQGifFileSave(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE r, BYTE g, BYTE b,
                             LONG animation, LONG delay, LPCSTR comment, ZqProgressProc cb, LPCSTR caption,
                             LPCSTR message, LPCSTR button) {
  return Saved("ZQGifFileSave", name, image, {interlace, transparent, r, g, b, animation, delay}, comment, cb,
               caption, message, button);
}
FAKE_SIGNATURE(ZQGifFileSave);

ZQ_EXPORT BOOL ZQTiffFileSave(LPCSTR name, HGLOBAL image, LONG compression, LONG colorSpaceOrQuality, LONG append,
                              LPCSTR comment, LONG oneStrip, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                              LPCSTR button) {
  return Saved("ZQTiffFileSave", name, image, {compression, colorSpaceOrQuality, append, oneStrip}, comment, cb,
               caption, message, button);
}
FAKE_SIGNATURE(ZQTiffFileSave);

ZQ_EXPORT BOOL ZQPngFileSaveEx(LPCSTR name, HGLOBAL image, LONG interlace, LONG transparent, BYTE r, BYTE g, BYTE b,
                               LONG multiFrame, LPCSTR comment, ZqProgressProc cb, LPCSTR caption, LPCSTR message,
                               LPCSTR button) {
  return Saved("ZQPngFileSaveEx", name, image, {interlace, transparent, r, g, b, multiFrame}, comment, cb, caption,
               message, button);
}
FAKE_SIGNATURE(ZQPngFileSaveEx);

ZQ_EXPORT BOOL ZQFpxFileSave(LPCSTR name, HGLOBAL image, LONG mode, LONG quality, LPCSTR comment, ZqProgressProc cb,
                             LPCSTR caption, LPCSTR message, LPCSTR button) {
  return Saved("ZQFpxFileSave", name, image, {mode, quality}, comment, cb, caption, message, button);
}
FAKE_SIGNATURE(ZQFpxFileSave);

ZQ_EXPORT BOOL ZQJ2kFileSave(LPCSTR name, HGLOBAL image, LONG codeStream, LONG option, LONG value1, LONG value2,
                             LONG z1, LONG z2, LONG z3, LONG z4, LONG z5, LONG z6, LONG z7, LPCSTR comment,
                             ZqProgressProc cb, LPCSTR caption, LPCSTR message, LPCSTR button) {
  return Saved("ZQJ2kFileSave", name, image, {codeStream, option, value1, value2, z1, z2, z3, z4, z5, z6, z7},
               comment, cb, caption, message, button);
}
FAKE_SIGNATURE(ZQJ2kFileSave);

// The savers without options of their own.
#define FAKE_PLAIN_SAVER(entry)                                                                               \
  ZQ_EXPORT BOOL entry(LPCSTR name, HGLOBAL image, ZqProgressProc cb, LPCSTR caption, LPCSTR message,        \
                       LPCSTR button) {                                                                      \
    return Saved(#entry, name, image, {}, nullptr, cb, caption, message, button);                            \
  }                                                                                                           \
  FAKE_SIGNATURE(entry);
FAKE_PLAIN_SAVER(ZQPcxFileSave)
FAKE_PLAIN_SAVER(ZQWmfFileSave)
FAKE_PLAIN_SAVER(ZQEmfFileSave)
FAKE_PLAIN_SAVER(ZQDxfFileSave)
FAKE_PLAIN_SAVER(ZQSvgFileSave)
FAKE_PLAIN_SAVER(ZQSxfP21FileSave)
FAKE_PLAIN_SAVER(ZQSxfSfcFileSave)
#undef FAKE_PLAIN_SAVER

ZQ_EXPORT BOOL ZQOpenFileDlg(QWidget* owner, LPSTR fileName, LPCSTR path, LPCSTR extensions, LONG preview) {
  return Dialog("ZQOpenFileDlg", owner, fileName, path, extensions, preview);
}
FAKE_SIGNATURE(ZQOpenFileDlg);

ZQ_EXPORT BOOL ZQSaveFileDlgEx(QWidget* owner, LPSTR fileName, LPCSTR path, LPCSTR extensions, LONG preview,
                               WORD* fileType) {
  const BOOL ok = Dialog("ZQSaveFileDlgEx", owner, fileName, path, extensions, preview);
  FakeEngine()->numbers.push_back(*fileType);
  if (ok) *fileType = FakeEngine()->dialogType;
  return ok;
}
FAKE_SIGNATURE(ZQSaveFileDlgEx);

// The four transfers share one shape.
#define FAKE_TRANSFER(entry)                                                                                  \
  ZQ_EXPORT BOOL entry(LPCSTR a, LPCSTR b, LPCSTR fileName, LPCSTR c, LPCSTR d, LONG n, ZqProgressProc cb,   \
                       LPCSTR caption, LPCSTR message, LPCSTR button) {                                      \
    return Transferred(#entry, a, b, fileName, c, d, n, cb, caption, message, button);                       \
  }                                                                                                           \
  FAKE_SIGNATURE(entry);
FAKE_TRANSFER(ZQFTPGetFile)
FAKE_TRANSFER(ZQFTPPutFile)
FAKE_TRANSFER(ZQHTTPGetFile)
FAKE_TRANSFER(ZQHTTPPutFile)
#undef FAKE_TRANSFER

ZQ_EXPORT BOOL ZQFTPDeleteFile(LPCSTR a, LPCSTR b, LPCSTR c, LPCSTR d) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back("ZQFTPDeleteFile");
  s->comment = Joined({a, b, c, d});
  return s->saveResult;
}
FAKE_SIGNATURE(ZQFTPDeleteFile);

ZQ_EXPORT BOOL ZQFTPRenameFile(LPCSTR a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e) {
  FakeEngineState* s = FakeEngine();
  s->calls.push_back("ZQFTPRenameFile");
  s->comment = Joined({a, b, c, d, e});
  return s->saveResult;
}
FAKE_SIGNATURE(ZQFTPRenameFile);

#undef FAKE_SIGNATURE

#endif
