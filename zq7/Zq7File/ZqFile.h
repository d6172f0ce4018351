// The file library's one seam to the file system. Every entry opens its file here, once,
// and hands the open file to the header parsers and then to the codec; nothing else in
// the library opens, checks or closes a file by name.
//
// A file is opened without blocking and accepted only when it is a regular file, so a
// FIFO, a device or a folder named like an image is refused at once instead of waiting
// for a writer or reading without end. The object owns the descriptor, and the stdio
// stream over it once a codec asked for one, and closes them when it goes.
//
// The writing half is ZqSaveTarget, below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "zq7/Zq7Api.h"

class ZqFile {
 public:
  ~ZqFile();
  ZqFile(const ZqFile&) = delete;
  ZqFile& operator=(const ZqFile&) = delete;

  // Opens path for reading; null when it is missing, unreadable or not a regular file.
  static std::unique_ptr<ZqFile> OpenRead(const char* path);

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  // The descriptor, for libraries that take one; it stays this object's.
  int fd() const { return fd_; }

  // Reads up to n bytes at offset without moving the stream; the count read (less at the
  // end of the file or on an I/O error).
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const;

  // A stdio stream over the file, at offset (its start unless given), for the libraries
  // that read through one (libjpeg, libpng, giflib, openjpeg); it stays this object's.
  // Null when it cannot be made or positioned.
  std::FILE* Stream(std::uint64_t offset = 0);

 private:
  ZqFile(int fd, std::uint64_t size, std::string path);

  int fd_ = -1;
  std::FILE* stream_ = nullptr;  // owns fd_ once made
  std::uint64_t size_ = 0;
  std::string path_;
};

// The one way a saver reaches the disk: the picture is written to a hidden sibling of the
// target in the target's folder, and only a complete sibling is renamed onto the target.
// A save that fails at any point removes the sibling, so it leaves no cut file behind
// and an existing target untouched. Saves that add to a file (a page to a TIFF, a frame
// to a GIF) start the sibling as a copy of the existing target and change only the copy.
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
