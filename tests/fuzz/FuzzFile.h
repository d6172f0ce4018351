// For harnesses of entries that take a file name: the input becomes the content of one
// in-memory file of this process, rewritten for every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The file's name, holding data[0..size).
std::string FuzzFile(const std::uint8_t* data, std::size_t size);
