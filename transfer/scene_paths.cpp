#include "transfer/scene_paths.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr char kPrefix[] = "scene_";
constexpr char kSuffix[] = ".exo";
// The longest name any int would give, with its NUL.
constexpr size_t kNameRoom = sizeof "scene_-2147483648.exo";

}  // namespace

ScenePath::ScenePath(const std::string& scene_path_work)
    : bytes_(scene_path_work), folder_bytes_(scene_path_work.size()) {
  bytes_.resize(folder_bytes_ + kNameRoom);
}

const char* ScenePath::For(int scene) {
  char* const name = bytes_.data() + folder_bytes_;
  char* end;
  if (scene == 0) {
    end = std::copy_n(kRootSceneFileName, kLongestSceneFileName, name);
  } else {
    end = std::copy_n(kPrefix, sizeof kPrefix - 1, name);
    end = std::to_chars(end, name + kNameRoom, scene).ptr;
    end = std::copy_n(kSuffix, sizeof kSuffix - 1, end);
  }
  *end = '\0';
  return bytes_.c_str();
}
