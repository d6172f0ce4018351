// Test pictures the benchmarks make at start-up.
#pragma once

#include <string>
#include <vector>

// Writes a width x height photograph-like picture (gradients with a little noise) as a
// baseline JPEG of the given quality, with app1 as an APP1 segment when it is not empty.
// Returns false when the file cannot be written.
bool WriteBenchJpeg(const std::string& path, int width, int height, int quality,
                    const std::vector<unsigned char>& app1 = {});

// Writes an A4 page at 300 dpi (2480 x 3508, 1 bit): lines of "text" blocks on white,
// Group 4 in strips. Returns false when the file cannot be written.
bool WriteBenchG4Page(const std::string& path);
