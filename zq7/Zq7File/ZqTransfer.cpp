#include "zq7/Zq7File/ZqTransfer.h"

#include <cstdio>
#include <memory>
#include <string>

#include <curl/curl.h>

#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqProgress.h"
#include "zq7/Zq7File/ZqFile.h"

namespace {

constexpr long kConnectSeconds = 30;
constexpr long kStallSeconds = 60;

struct CurlFree {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListFree {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

bool Empty(LPCSTR s) { return !s || !*s; }

// scheme://server[:port]/remote, the scheme from the server text when it has one.
std::string Url(const char* scheme, LPCSTR server, LONG port, LPCSTR remote) {
  std::string s = server;
  std::string url = s.find("://") == std::string::npos ? std::string(scheme) + "://" + s : s;
  while (url.size() > 3 && url.back() == '/') url.pop_back();
  if (port > 0) url += ":" + std::to_string(port);
  std::string path = remote ? remote : "";
  if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
  return url + path;
}

int OnProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow) {
  auto* progress = static_cast<ZqProgress*>(user);
  const bool up = ulTotal > 0;
  const curl_off_t total = up ? ulTotal : dlTotal, now = up ? ulNow : dlNow;
  if (total <= 0) return progress->cancelled() ? 1 : 0;
  return progress->Step(static_cast<std::uint64_t>(now), static_cast<std::uint64_t>(total)) ? 0 : 1;
}

// A handle with the settings every transfer shares.
std::unique_ptr<CURL, CurlFree> Open(const std::string& url, LPCSTR user, LPCSTR password, ZqProgress* progress) {
  std::unique_ptr<CURL, CurlFree> c(curl_easy_init());
  if (!c) return c;
  curl_easy_setopt(c.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(c.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c.get(), CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl_easy_setopt(c.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c.get(), CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(c.get(), CURLOPT_PROTOCOLS_STR, "ftp,ftps,http,https");
  if (!Empty(user)) {
    curl_easy_setopt(c.get(), CURLOPT_USERNAME, user);
    curl_easy_setopt(c.get(), CURLOPT_PASSWORD, password ? password : "");
  }
  if (progress) {
    curl_easy_setopt(c.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c.get(), CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c.get(), CURLOPT_XFERINFODATA, progress);
  }
  return c;
}

WORD StatusOf(CURLcode code, CURL* c, const ZqProgress* progress) {
  if (code == CURLE_OK) {
    long http = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &http);
    if (http == 404) return ZQ_ERR_FILE_NOT_FOUND;
    return http >= 400 ? WORD{ZQ_ERR_TRANSFER_FAILED} : WORD{ZQ_OK};
  }
  if (code == CURLE_ABORTED_BY_CALLBACK || (progress && progress->cancelled())) return ZQ_ERR_CANCELLED;
  if (code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_FTP_COULDNT_RETR_FILE) return ZQ_ERR_FILE_NOT_FOUND;
  if (code == CURLE_HTTP_RETURNED_ERROR) {
    long http = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &http);
    return http == 404 ? WORD{ZQ_ERR_FILE_NOT_FOUND} : WORD{ZQ_ERR_TRANSFER_FAILED};
  }
  if (code == CURLE_WRITE_ERROR) return ZQ_ERR_WRITE_FAILED;
  if (code == CURLE_READ_ERROR) return ZQ_ERR_FILE_NOT_FOUND;
  if (code == CURLE_OUT_OF_MEMORY) return ZQ_ERR_NO_MEMORY;
  return ZQ_ERR_TRANSFER_FAILED;
}

WORD Get(const std::string& url, LPCSTR local, LPCSTR user, LPCSTR password, ZqProgressProc callback) {
  ZqSaveTarget target(local);
  if (const WORD s = target.Create(false); s != ZQ_OK) return s;
  ZqProgress progress(callback);
  WORD status;
  {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(target.path().c_str(), "wb"));
    if (!file) return ZQ_ERR_WRITE_FAILED;
    auto c = Open(url, user, password, &progress);
    if (!c) return ZQ_ERR_NO_MEMORY;
    curl_easy_setopt(c.get(), CURLOPT_WRITEDATA, file.get());
    curl_easy_setopt(c.get(), CURLOPT_FAILONERROR, 1L);
    status = StatusOf(curl_easy_perform(c.get()), c.get(), &progress);
    if (status == ZQ_OK && std::fclose(file.release()) != 0) status = ZQ_ERR_WRITE_FAILED;
  }
  if (status == ZQ_OK) status = target.Commit();
  if (status == ZQ_OK && !progress.Finish()) status = ZQ_ERR_CANCELLED;
  return status;
}

WORD Put(const std::string& url, LPCSTR local, LPCSTR user, LPCSTR password, ZqProgressProc callback, bool ftp) {
  const auto file = ZqFile::OpenRead(local);
  std::FILE* stream = file ? file->Stream() : nullptr;
  if (!stream) return ZQ_ERR_FILE_NOT_FOUND;
  ZqProgress progress(callback);
  auto c = Open(url, user, password, &progress);
  if (!c) return ZQ_ERR_NO_MEMORY;
  curl_easy_setopt(c.get(), CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c.get(), CURLOPT_READDATA, stream);
  curl_easy_setopt(c.get(), CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(file->size()));
  if (ftp) curl_easy_setopt(c.get(), CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR));
  WORD status = StatusOf(curl_easy_perform(c.get()), c.get(), &progress);
  if (status == ZQ_ERR_FILE_NOT_FOUND) status = ZQ_ERR_TRANSFER_FAILED;  // a PUT's 404 is the server's refusal
  if (status == ZQ_OK && !progress.Finish()) status = ZQ_ERR_CANCELLED;
  return status;
}

// FTP commands sent after login, without a transfer.
WORD Commands(LPCSTR server, LPCSTR user, LPCSTR password, std::initializer_list<std::string> commands) {
  std::unique_ptr<curl_slist, ListFree> list;
  for (const std::string& command : commands) {
    curl_slist* grown = curl_slist_append(list.get(), command.c_str());
    if (!grown) return ZQ_ERR_NO_MEMORY;
    (void)list.release();
    list.reset(grown);
  }
  auto c = Open(Url("ftp", server, 0, "/"), user, password, nullptr);
  if (!c) return ZQ_ERR_NO_MEMORY;
  curl_easy_setopt(c.get(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(c.get(), CURLOPT_QUOTE, list.get());
  const CURLcode code = curl_easy_perform(c.get());
  return code == CURLE_QUOTE_ERROR ? WORD{ZQ_ERR_FILE_NOT_FOUND} : StatusOf(code, c.get(), nullptr);
}

// A text that could smuggle a second FTP command into one.
bool HasLineBreak(LPCSTR s) { return s && std::string(s).find_first_of("\r\n") != std::string::npos; }

BOOL Transfer(const char* scheme, bool upload, LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password,
              LONG port, ZqProgressProc callback) {
  return zq::GuardStatus([&]() -> WORD {
    if (Empty(server) || Empty(remote) || Empty(local) || port < 0 || port > 65535) return ZQ_ERR_BAD_PARAMETER;
    const std::string url = Url(scheme, server, port, remote);
    const bool ftp = std::string(scheme) == "ftp";
    return upload ? Put(url, local, user, password, callback, ftp) : Get(url, local, user, password, callback);
  });
}

}  // namespace

ZQ_EXPORT BOOL ZQFTPGetFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                            ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Transfer("ftp", false, server, remote, local, user, password, port, callback);
}

ZQ_EXPORT BOOL ZQFTPPutFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                            ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Transfer("ftp", true, server, remote, local, user, password, port, callback);
}

ZQ_EXPORT BOOL ZQHTTPGetFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                             ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Transfer("http", false, server, remote, local, user, password, port, callback);
}

ZQ_EXPORT BOOL ZQHTTPPutFile(LPCSTR server, LPCSTR remote, LPCSTR local, LPCSTR user, LPCSTR password, LONG port,
                             ZqProgressProc callback, LPCSTR, LPCSTR, LPCSTR) {
  return Transfer("http", true, server, remote, local, user, password, port, callback);
}

ZQ_EXPORT BOOL ZQFTPDeleteFile(LPCSTR server, LPCSTR user, LPCSTR password, LPCSTR remote) {
  return zq::GuardStatus([&]() -> WORD {
    if (Empty(server) || Empty(remote) || HasLineBreak(remote)) return ZQ_ERR_BAD_PARAMETER;
    return Commands(server, user, password, {std::string("DELE ") + remote});
  });
}

ZQ_EXPORT BOOL ZQFTPRenameFile(LPCSTR server, LPCSTR user, LPCSTR password, LPCSTR from, LPCSTR to) {
  return zq::GuardStatus([&]() -> WORD {
    if (Empty(server) || Empty(from) || Empty(to) || HasLineBreak(from) || HasLineBreak(to)) return ZQ_ERR_BAD_PARAMETER;
    return Commands(server, user, password, {std::string("RNFR ") + from, std::string("RNTO ") + to});
  });
}
