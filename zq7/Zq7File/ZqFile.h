// The file library's one seam to the file system. Every entry opens its file here, once,
// and hands the open file to the header parsers and then to the codec; nothing else in
// the library opens, checks or closes a file by name.
//
// A file is opened without blocking and accepted only when it is a regular file, so a
// FIFO, a device or a folder named like an image is refused at once instead of waiting
// for a writer or reading without end. The object owns the descriptor, and the stdio
// stream over it once a codec asked for one, and closes them when it goes.
//
// The savers' writing half (a sibling created exclusively, written, renamed onto the
// target without replacing it unless asked, removed on failure) belongs here as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

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

  // A stdio stream over the file, rewound to its start, for the libraries that read
  // through one (libjpeg, libpng, giflib, openjpeg); it stays this object's. Null when
  // it cannot be made.
  std::FILE* Stream();

 private:
  ZqFile(int fd, std::uint64_t size, std::string path);

  int fd_ = -1;
  std::FILE* stream_ = nullptr;  // owns fd_ once made
  std::uint64_t size_ = 0;
  std::string path_;
};
