// Input: a 16-bit little-endian length, that many bytes as the list file "ProfileList.ini", the rest as
// a file the user imports. Every operation of the list runs on it, over the entries it names and past
// them: nothing may crash, write outside the list's folder or leave the list unreadable to itself.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "fuzz/fuzz_support.h"
#include "profiles/profile_list.h"

namespace nimbel {
namespace {

constexpr std::size_t kLengthPrefix = 2;
constexpr const char* kFactoryProfile = NIMBEL_SOURCE_DIR "/DefaultData/mouse.Json";

using fuzz::Check;

void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The list's folder and the user's folder beside it, emptied for every input.
class FuzzFolders {
 public:
  FuzzFolders() { root_ = fuzz::MakeScratchFolder(); }
  ~FuzzFolders() { std::filesystem::remove_all(root_); }
  FuzzFolders(const FuzzFolders&) = delete;
  FuzzFolders& operator=(const FuzzFolders&) = delete;

  void Reset() {
    std::filesystem::remove_all(root_ / "list");
    std::filesystem::remove_all(root_ / "user");
    std::filesystem::create_directories(root_ / "list");
    std::filesystem::create_directories(root_ / "user");
  }
  // Nothing was written beside the two folders.
  bool HoldsOnlyItsFolders() const {
    for (const auto& entry : std::filesystem::directory_iterator(root_)) {
      const std::string name = entry.path().filename().string();
      if (name != "list" && name != "user") return false;
    }
    return true;
  }
  std::string List() const { return (root_ / "list").string() + '/'; }
  std::string User() const { return (root_ / "user").string() + '/'; }

 private:
  std::filesystem::path root_;
};

void RunEveryOperation(CProfileList& list, const std::string& importPath, const std::string& exportPath) {
  list.Init();
  const int count = static_cast<int>(list.Count());
  const int indexes[] = {-1, 0, 1, count - 1, count, 4096, 1 << 30};
  for (const int index : indexes) {
    list.Select(index);
    list.SelectedId();
    list.StoredSelection();
    list.Rename(index, "Renamed");
    list.Copy(index);
    list.Reset(index);
    list.Export(index, exportPath);
  }
  list.Import(importPath);
  list.Import(exportPath);
  list.Create();
  for (const int index : indexes) list.Delete(index);
  list.Reload();
  for (const ProfileEntry& entry : list.Entries()) list.ProfilePath(entry.id);
  // Whatever the list was, what the operations left is a list they can read again.
  CProfileList again(list.ListFolder(), kFactoryProfile, list.Kind());
  again.Init();
  Check(again.Count() >= 1);
}

}  // namespace
}  // namespace nimbel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbel;
  if (size < kLengthPrefix) return 0;
  static FuzzFolders folders;
  folders.Reset();
  const std::span input(data, size);
  const std::size_t listLength = std::min<std::size_t>(input[0] | (input[1] << 8), size - kLengthPrefix);
  WriteBytes(folders.List() + std::string(kProfileListFileName), input.subspan(kLengthPrefix, listLength));
  const std::string importPath = folders.User() + "import.json";
  WriteBytes(importPath, input.subspan(kLengthPrefix + listLength));

  int ids = 0;
  CProfileList list(folders.List(), kFactoryProfile, KindCode::MouseCable,
                    [&ids] { return "id_" + std::to_string(++ids); });
  RunEveryOperation(list, importPath, folders.User() + "export");
  Check(folders.HoldsOnlyItsFolders());
  return 0;
}
