// The main window on a real X server with a window manager, where a window has a frame
// that the manager adds after the window is mapped: the stored position must be the
// frame's both ways. The program starts its own Xvfb and openbox and skips when either
// is not installed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <string>

#include "platform/profile.h"
#include "tests/app/AppWindows.h"
#include "tests/support/ScriptedDialogs.h"

extern char** environ;

// Positions print as "(x, y)" in failures.
void PrintTo(const QPoint& p, std::ostream* os) { *os << "(" << p.x() << ", " << p.y() << ")"; }

namespace {

bool g_haveDisplay = false;

pid_t Spawn(const std::vector<std::string>& args, int stdoutFd = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

bool Installed(const char* tool) {
  const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Runs the event loop until the window manager has framed the window.
bool WaitForFrame(QWidget* w) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 5000) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (w->isVisible() && w->frameGeometry() != w->geometry()) {
      // Let the manager finish placing it.
      for (int i = 0; i < 5; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
      }
      return true;
    }
    QThread::msleep(10);
  }
  return false;
}

class MainWindowOnX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!g_haveDisplay) GTEST_SKIP() << "Xvfb or openbox is not installed";
  }
};

}  // namespace

TEST_F(MainWindowOnX11, TheStoredPositionIsTheFramesBothWays) {
  testsupport::ScopedScript script;
  // Each start reads what the last one stored; a creep would show from the second on.
  QPoint previous(300, 150);
  for (int start = 0; start < 3; ++start) {
    testsupport::AppWindows windows;
    platform::TIniFile settings(windows.SettingsPath());
    settings.WriteInteger("SET", "M_TOP", previous.y());
    settings.WriteInteger("SET", "M_LEFT", previous.x());
    windows.form->show();
    ASSERT_TRUE(WaitForFrame(windows.form.get())) << "the window manager framed no window";
    EXPECT_EQ(windows.form->frameGeometry().topLeft(), QPoint(300, 150)) << "start " << start;
    EXPECT_GT(windows.form->geometry().top(), 150) << "the client area is below the title bar";
    windows.form->close();
    const platform::TIniFile ini(windows.SettingsPath());
    previous = QPoint(static_cast<int>(ini.ReadInteger("SET", "M_LEFT", -1)),
                      static_cast<int>(ini.ReadInteger("SET", "M_TOP", -1)));
    EXPECT_EQ(previous, QPoint(300, 150)) << "start " << start;
  }
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  pid_t server = -1, manager = -1;
  if (Installed("Xvfb") && Installed("openbox")) {
    int fds[2];
    if (::pipe(fds) == 0) {
      server = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
      ::close(fds[1]);
      std::string number;
      char c;
      while (server > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
      ::close(fds[0]);
      if (!number.empty()) {
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
        manager = Spawn({"openbox"});
        ::usleep(500000);
        g_haveDisplay = manager > 0;
      }
    }
  }
  int rc;
  {
    if (g_haveDisplay) ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    else ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    rc = RUN_ALL_TESTS();
  }
  for (pid_t p : {manager, server})
    if (p > 0) {
      ::kill(p, SIGTERM);
      ::waitpid(p, nullptr, 0);
    }
  return rc;
}
