// Transfers against servers the test starts on 127.0.0.1 and stops again: Python's
// http.server with a small PUT handler, and pyftpdlib. Tests whose server cannot start
// (no Debian python3, no pyftpdlib) are skipped with a message.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqTransfer.h"

namespace fs = std::filesystem;

namespace {

// Debian's interpreter, where python3-pyftpdlib installs its module.
constexpr const char* kPython = "/usr/bin/python3";

// Serves the folder in argv[1]; PUT stores the body under the path. Prints its port.
constexpr const char* kHttpServer = R"(
import http.server, os, sys
root = sys.argv[1]
class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *a, **k): super().__init__(*a, directory=root, **k)
    def log_message(self, *a): pass
    def do_PUT(self):
        path = os.path.join(root, self.path.lstrip('/'))
        if not self.path.startswith('/upload/'):
            self.send_response(403); self.end_headers(); return
        n = int(self.headers.get('Content-Length', 0))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f: f.write(self.rfile.read(n))
        self.send_response(201); self.end_headers()
s = http.server.HTTPServer(('127.0.0.1', 0), Handler)
print(s.server_address[1], flush=True)
s.serve_forever()
)";

// An FTP server with the one user "photo" (password "s3cret") on the folder argv[1].
constexpr const char* kFtpServer = R"(
import sys, logging
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.disable(logging.CRITICAL)
a = DummyAuthorizer(); a.add_user('photo', 's3cret', sys.argv[1], perm='elradfmwMT')
FTPHandler.authorizer = a
s = FTPServer(('127.0.0.1', 0), FTPHandler)
print(s.socket.getsockname()[1], flush=True)
s.serve_forever()
)";

// A server process: started with a script and a folder, stopped (and waited for) when
// the object goes. port() is 0 when it did not come up within ten seconds.
class Server {
 public:
  Server(const char* script, const std::string& folder) {
    int out[2];
    if (::access(kPython, X_OK) != 0 || ::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::execl(kPython, kPython, "-c", script, folder.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    pollfd p{out[0], POLLIN, 0};
    char buffer[32] = {};
    if (pid_ > 0 && ::poll(&p, 1, 10000) == 1 && ::read(out[0], buffer, sizeof buffer - 1) > 0) port_ = std::atoi(buffer);
    // The pipe stays open while the server runs: it may write to it again.
    output_ = out[0];
  }
  ~Server() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  int port_ = 0;
};

std::string Payload() {
  std::string s;
  for (int i = 0; i < 300000; ++i) s.push_back(static_cast<char>(i * 7 % 251));
  return s;
}

std::vector<int> g_seen;
BOOL Record(int p) {
  g_seen.push_back(p);
  return TRUE;
}
BOOL Stop(int) { return FALSE; }

class Transfers : public ::testing::Test {
 protected:
  testsupport::TempDir served, here;
};

TEST_F(Transfers, HttpGetWritesTheWholeFileAndReportsProgress) {
  Server server(kHttpServer, served.path());
  if (!server.port()) GTEST_SKIP() << "the HTTP server did not start";
  fs::create_directory(served.path() + "pub");
  served.Write("pub/photo.jpg", Payload());
  g_seen.clear();
  const std::string local = here.path() + "photo.jpg";
  ASSERT_TRUE(ZQHTTPGetFile("127.0.0.1", "/pub/photo.jpg", local.c_str(), "", "", server.port(), Record, "", "", ""))
      << ZQGetErrorStatus();
  EXPECT_EQ(testsupport::TempDir::Read(local), Payload());
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen.back(), 100);

  const std::string kept = here.Write("kept.jpg", "mine");
  EXPECT_FALSE(ZQHTTPGetFile("http://127.0.0.1", "pub/missing.jpg", kept.c_str(), "", "", server.port(), nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
  EXPECT_FALSE(ZQHTTPGetFile("127.0.0.1", "/pub/photo.jpg", kept.c_str(), "", "", server.port(), Stop, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_CANCELLED);
  EXPECT_EQ(testsupport::TempDir::Read(kept), "mine") << "a failed download leaves the local file alone";
  EXPECT_EQ(std::distance(fs::directory_iterator(here.path()), fs::directory_iterator{}), 2) << "and no sibling";
}

TEST_F(Transfers, HttpPutSendsTheFileAndAServerRefusalIsAStatus) {
  Server server(kHttpServer, served.path());
  if (!server.port()) GTEST_SKIP() << "the HTTP server did not start";
  const std::string local = here.Write("up.png", Payload());
  ASSERT_TRUE(ZQHTTPPutFile("127.0.0.1", "/upload/up.png", local.c_str(), "", "", server.port(), nullptr, "", "", ""))
      << ZQGetErrorStatus();
  EXPECT_EQ(testsupport::TempDir::Read(served.path() + "upload/up.png"), Payload());
  EXPECT_FALSE(ZQHTTPPutFile("127.0.0.1", "/elsewhere/up.png", local.c_str(), "", "", server.port(), nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TRANSFER_FAILED);
  EXPECT_FALSE(ZQHTTPPutFile("127.0.0.1", "/upload/x.png", (here.path() + "none.png").c_str(), "", "", server.port(),
                             nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
}

TEST_F(Transfers, FtpPutGetRenameAndDeleteWithALogin) {
  Server server(kFtpServer, served.path());
  if (!server.port()) GTEST_SKIP() << "pyftpdlib (Debian python3-pyftpdlib) is missing: FTP server not started";
  const std::string local = here.Write("scan.tif", Payload()), back = here.path() + "back.tif";
  const LONG port = server.port();
  ASSERT_TRUE(ZQFTPPutFile("127.0.0.1", "/in/scan.tif", local.c_str(), "photo", "s3cret", port, nullptr, "", "", ""))
      << ZQGetErrorStatus();
  EXPECT_EQ(testsupport::TempDir::Read(served.path() + "in/scan.tif"), Payload());
  ASSERT_TRUE(ZQFTPGetFile("ftp://127.0.0.1", "in/scan.tif", back.c_str(), "photo", "s3cret", port, nullptr, "", "", ""));
  EXPECT_EQ(testsupport::TempDir::Read(back), Payload());

  const std::string server_ = "ftp://127.0.0.1:" + std::to_string(port);
  ASSERT_TRUE(ZQFTPRenameFile(server_.c_str(), "photo", "s3cret", "/in/scan.tif", "/in/renamed.tif")) << ZQGetErrorStatus();
  EXPECT_TRUE(fs::exists(served.path() + "in/renamed.tif"));
  ASSERT_TRUE(ZQFTPDeleteFile(server_.c_str(), "photo", "s3cret", "/in/renamed.tif")) << ZQGetErrorStatus();
  EXPECT_FALSE(fs::exists(served.path() + "in/renamed.tif"));
  EXPECT_FALSE(ZQFTPDeleteFile(server_.c_str(), "photo", "s3cret", "/in/renamed.tif"));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);

  EXPECT_FALSE(ZQFTPGetFile("127.0.0.1", "in/x.tif", back.c_str(), "photo", "wrong", port, nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TRANSFER_FAILED);
  EXPECT_FALSE(ZQFTPDeleteFile(server_.c_str(), "photo", "s3cret", "/a\r\nDELE /b"));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER) << "a line break would send a second command";
}

TEST(TransferArguments, MissingTextsAndUnreachableServersGiveStatuses) {
  testsupport::TempDir here;
  const std::string local = here.path() + "x";
  EXPECT_FALSE(ZQHTTPGetFile("", "/a", local.c_str(), "", "", 0, nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_FALSE(ZQFTPGetFile("127.0.0.1", "/a", nullptr, "", "", 0, nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  EXPECT_FALSE(ZQHTTPGetFile("127.0.0.1", "/a", local.c_str(), "", "", 70000, nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
  // Port 1 on this machine: nothing listens there, so the connection is refused at once.
  EXPECT_FALSE(ZQHTTPGetFile("127.0.0.1", "/a", local.c_str(), "", "", 1, nullptr, "", "", ""));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_TRANSFER_FAILED);
  EXPECT_FALSE(fs::exists(local));
}

}  // namespace
