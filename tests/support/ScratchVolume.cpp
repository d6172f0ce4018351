#include "tests/support/ScratchVolume.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool KernelHas(const std::string& fs) {
  return ReadAll("/proc/filesystems").find("\t" + fs + "\n") != std::string::npos;
}

bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

const char* KernelType(VolumeKind kind) { return kind == VolumeKind::FatKernel ? "vfat" : "exfat"; }

}  // namespace

const char* VolumeKindName(VolumeKind kind) {
  return kind == VolumeKind::ExfatFuse ? "exfat-fuse" : KernelType(kind);
}

ScratchVolume::ScratchVolume(VolumeKind kind) : kind_(kind) {
  const bool fuse = kind == VolumeKind::ExfatFuse;
  if (::geteuid() != 0) {
    skipReason_ = "attaching a loop device and mounting need root";
    return;
  }
  if (fuse && ::access("/dev/fuse", R_OK | W_OK) != 0) {
    skipReason_ = "this machine has no usable /dev/fuse";
    return;
  }
  if (!fuse && !KernelHas(KernelType(kind)) &&
      (std::system((std::string("timeout 10 modprobe -q ") + KernelType(kind) + " >/dev/null 2>&1").c_str()) != 0 ||
       !KernelHas(KernelType(kind)))) {
    skipReason_ = std::string("the kernel has no ") + KernelType(kind) + " driver";
    return;
  }
  const char* mkfs = kind == VolumeKind::FatKernel ? "mkfs.fat" : "mkfs.exfat";
  for (const char* tool : {"losetup", "timeout", "setsid", mkfs}) {
    if (!HaveTool(tool)) {
      skipReason_ = std::string("the tool ") + tool + " is not installed";
      return;
    }
  }
  if (fuse && !HaveTool("mount.exfat-fuse")) {
    skipReason_ = "the tool mount.exfat-fuse is not installed (Debian exfat-fuse)";
    return;
  }

  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/tesmarin-volume-XXXXXX";
  if (!::mkdtemp(templ.data())) {
    skipReason_ = "no scratch folder";
    return;
  }
  work_ = templ + "/";
  ::mkdir(path().c_str(), 0700);

  // A watchdog outside this process cleans up should the test die or be killed before
  // its destructor runs; it ends by itself once the work folder is gone.
  const std::string w = Quote(work_);
  const std::string watch = "p=" + std::to_string(::getpid()) + "; w=" + w +
                            "; while kill -0 $p 2>/dev/null && [ -d \"$w\" ]; do sleep 1; done;"
                            " [ -d \"$w\" ] || exit 0; sleep 2; umount -l \"$w/mnt\";"
                            " for l in $(losetup -n -O NAME -j \"$w/image\"); do losetup -d $l; done; rm -rf \"$w\"";
  std::system(("setsid -f sh -c " + Quote(watch) + " </dev/null >/dev/null 2>&1").c_str());

  const std::string image = work_ + "image";
  std::ofstream(image, std::ios::binary).close();
  std::error_code ec;
  std::filesystem::resize_file(image, 16 << 20, ec);
  if (ec || !Run(std::string(mkfs) + " " + Quote(image))) {
    skipReason_ = std::string(mkfs) + " failed";
    return;
  }
  std::string loop;
  if (!Run("losetup -f --show " + Quote(image), &loop) || loop.empty()) {
    skipReason_ = "no loop device could be attached: " + loop;
    return;
  }
  while (!loop.empty() && (loop.back() == '\n' || loop.back() == ' ')) loop.pop_back();
  loop_ = loop;
  Mount(false);
}

ScratchVolume::~ScratchVolume() {
  Unmount();
  if (!loop_.empty()) Run("losetup -d " + Quote(loop_));
  if (!work_.empty() && !isMounted_) {
    std::error_code ec;
    std::filesystem::remove_all(work_, ec);
  }
}

bool ScratchVolume::Run(const std::string& command, std::string* output) {
  const std::string out = work_ + "out";
  const int raw = std::system(("timeout -k 5 30 " + command + " >" + Quote(out) + " 2>&1").c_str());
  if (output) *output = ReadAll(out);
  return raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
}

bool ScratchVolume::Mount(bool readOnly) {
  const std::string options = readOnly ? "-o ro " : "";
  const std::string command = kind_ == VolumeKind::ExfatFuse
                                  ? "mount.exfat-fuse " + options + Quote(loop_) + " " + Quote(path())
                                  : std::string("mount -t ") + KernelType(kind_) + " " + options + Quote(loop_) + " " +
                                        Quote(path());
  std::string output;
  isMounted_ = Run(command, &output);
  skipReason_ = isMounted_ ? std::string() : std::string("mounting failed: ") + output;
  return isMounted_;
}

void ScratchVolume::Unmount() {
  if (!isMounted_) return;
  if (Run("umount " + Quote(path())) || Run("umount -l " + Quote(path()))) isMounted_ = false;
}

bool ScratchVolume::Remount(bool readOnly) {
  if (!isMounted_) return false;
  Unmount();
  return !isMounted_ && Mount(readOnly);
}

}  // namespace testsupport
