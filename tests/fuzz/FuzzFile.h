// For harnesses of loaders that read from a path: the input goes to a file of this
// process, rewritten for every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string FuzzFile(const std::uint8_t* data, std::size_t size);
