// The image files directly inside a folder, for registering a whole folder: files
// whose extension the renamer accepts, in the locale-aware name order, without entering
// sub-folders.
#pragma once

#include <string>
#include <vector>

// True for a name whose extension is one the renamer registers (".JPG", ".TIFF", ...,
// any case).
bool HasImageExtension(const std::string& path);

// The accepted image files directly inside folder, as full paths.
std::vector<std::string> ImagesInFolder(const std::string& folder);
