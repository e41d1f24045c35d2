// Paths as the sandbox meets them: the ANSI paths of loaded plug-ins, and the
// build's Unix paths, which a program under wine must be handed as Windows
// paths.
#pragma once

#include <algorithm>
#include <string>

namespace sandbox {

// What follows the last "\", "/" or ":": "exedit.auf" of "Z:\b\exedit.auf".
inline std::string FileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A Unix path as wine sees it (Z: is the Unix root); any other path as it is.
inline std::string WindowsPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

}  // namespace sandbox
