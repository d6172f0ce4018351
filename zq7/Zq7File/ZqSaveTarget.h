// The one way a saver reaches the disk: the picture is written to a hidden sibling of the
// target in the target's folder, and only a complete sibling is renamed onto the target.
// A save that fails at any point removes the sibling, so it leaves no cut file behind
// and an existing target untouched. Saves that add to a file (a page to a TIFF, a frame
// to a GIF) start the sibling as a copy of the existing target and change only the copy.
#pragma once

#include <string>

#include "zq7/Zq7Api.h"

class ZqSaveTarget {
 public:
  explicit ZqSaveTarget(std::string target) : target_(std::move(target)) {}
  // Removes the sibling unless Commit succeeded.
  ~ZqSaveTarget();
  ZqSaveTarget(const ZqSaveTarget&) = delete;
  ZqSaveTarget& operator=(const ZqSaveTarget&) = delete;

  // Creates the empty sibling, or with copyExisting a copy of the target when there is
  // one. ZQ_ERR_BAD_PARAMETER for an empty name or a folder as the target,
  // ZQ_ERR_WRITE_FAILED when the folder does not take the sibling.
  WORD Create(bool copyExisting);
  // The sibling's path, for codecs that open files themselves.
  const std::string& path() const { return sibling_; }
  // Whether the target existed when Create ran (what an appending save adds to).
  bool targetExisted() const { return existed_; }
  // Renames the finished sibling onto the target, replacing it; the sibling keeps the
  // permissions the target had, or those of a new file. ZQ_ERR_WRITE_FAILED on failure.
  WORD Commit();

 private:
  std::string target_;
  std::string sibling_;
  bool existed_ = false;
  bool committed_ = false;
};
