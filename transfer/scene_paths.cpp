#include "transfer/scene_paths.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr char kPrefix[] = "scene_";
constexpr char kSuffix[] = ".exo";
// The longest name any int would give, with its NUL.
constexpr size_t kNameRoom = sizeof "scene_-2147483648.exo";
// ScenePath::For writes a name and its NUL into this room unchecked: a
// smaller room would have every command write past the string, in the
// editor's process.
static_assert(kNameRoom >= sizeof kRootSceneFileName,
              "room for the root scene's name and its NUL");
static_assert(kNameRoom >= sizeof kPrefix - 1 +
                               std::numeric_limits<int>::digits10 + 2 +
                               sizeof kSuffix,
              "room for any int scene's name: a sign, digits10 + 1 digits, NUL");

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
