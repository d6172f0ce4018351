// A small real file system for a test: an image made with mkfs, attached to a loop
// device and mounted through FUSE or the kernel's own driver in a private folder, then
// unmounted, detached and removed, even when the test process dies or is killed. Every
// outside command runs under a time limit, so a stuck driver cannot hang the test run.
#pragma once

#include <string>

namespace testsupport {

enum class VolumeKind { ExfatFuse, ExfatKernel, FatKernel };

// "exfat-fuse", "exfat", "vfat": for test names and messages.
const char* VolumeKindName(VolumeKind kind);

class ScratchVolume {
 public:
  explicit ScratchVolume(VolumeKind kind);
  ~ScratchVolume();
  ScratchVolume(const ScratchVolume&) = delete;
  ScratchVolume& operator=(const ScratchVolume&) = delete;

  // Empty when the volume is mounted, else why this machine cannot have it (not root,
  // no /dev/fuse, no loop device, no driver, a tool missing).
  const std::string& skipReason() const { return skipReason_; }
  bool mounted() const { return skipReason_.empty(); }
  // The mount point, ending in "/".
  std::string path() const { return work_ + "mnt/"; }

  // Unmounts and mounts the same image again, read-only or not, as a card taken out and
  // put back; false (with a reason) when that fails.
  bool Remount(bool readOnly);

 private:
  bool Mount(bool readOnly);
  void Unmount();
  bool Run(const std::string& command, std::string* output = nullptr);

  VolumeKind kind_;
  std::string work_;  // private folder holding the image and the mount point
  std::string loop_;
  bool isMounted_ = false;
  std::string skipReason_;
};

}  // namespace testsupport
