// The file a user drops into the plug-in folder: a 32-bit DLL with one
// undecorated export, system imports only, one manifest resource, and its
// texts in Shift_JIS. Read straight from the PE file, not through a loader.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

class PeFile {
 public:
  explicit PeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
  }
  bool Empty() const { return bytes_.empty(); }
  const std::vector<char>& bytes() const { return bytes_; }

  template <typename T>
  const T* At(size_t offset) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return nullptr;
    return reinterpret_cast<const T*>(bytes_.data() + offset);
  }
  const IMAGE_NT_HEADERS32* Nt() const {
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto* nt = At<IMAGE_NT_HEADERS32>(dos->e_lfanew);
    if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    return nt;
  }
  // File offset of a relative virtual address, or 0 when no section has it.
  size_t OffsetOf(DWORD rva) const {
    const auto* nt = Nt();
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    size_t first = dos->e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                   nt->FileHeader.SizeOfOptionalHeader;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto* section =
          At<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER));
      if (section == nullptr) return 0;
      DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
      if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
        return rva - section->VirtualAddress + section->PointerToRawData;
      }
    }
    return 0;
  }
  const IMAGE_DATA_DIRECTORY& Directory(int index) const {
    return Nt()->OptionalHeader.DataDirectory[index];
  }
  std::string StringAt(DWORD rva) const {
    size_t offset = OffsetOf(rva);
    if (offset == 0) return std::string();
    const char* begin = bytes_.data() + offset;
    return std::string(begin, strnlen(begin, bytes_.size() - offset));
  }

 private:
  std::vector<char> bytes_;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class TrebboAufFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(pe_.Empty()) << "cannot read " << testing_support::TrebboAufPath();
    ASSERT_NE(pe_.Nt(), nullptr) << "not a PE file";
  }
  PeFile pe_{testing_support::TrebboAufPath()};
};

TEST_F(TrebboAufFile, IsA32BitDll) {
  const auto* nt = pe_.Nt();
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
}

TEST_F(TrebboAufFile, ExportsGetFilterTableAlone) {
  const auto& directory = pe_.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  ASSERT_NE(directory.VirtualAddress, 0u) << "no export table";
  const auto* exports =
      pe_.At<IMAGE_EXPORT_DIRECTORY>(pe_.OffsetOf(directory.VirtualAddress));
  ASSERT_NE(exports, nullptr);
  EXPECT_EQ(exports->NumberOfFunctions, 1u);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  const auto* name_rva = pe_.At<DWORD>(pe_.OffsetOf(exports->AddressOfNames));
  ASSERT_NE(name_rva, nullptr);
  EXPECT_EQ(pe_.StringAt(*name_rva), "GetFilterTable");
}

TEST_F(TrebboAufFile, ImportsOnlyWindowsSystemDlls) {
  const std::set<std::string> system_dlls = {
      "kernel32.dll", "user32.dll", "shlwapi.dll", "ole32.dll",
      "oleaut32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
      "comdlg32.dll", "gdi32.dll"};
  const auto& directory = pe_.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  ASSERT_NE(directory.VirtualAddress, 0u);
  size_t offset = pe_.OffsetOf(directory.VirtualAddress);
  std::vector<std::string> imported;
  for (;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* descriptor = pe_.At<IMAGE_IMPORT_DESCRIPTOR>(offset);
    ASSERT_NE(descriptor, nullptr);
    if (descriptor->Name == 0) break;
    imported.push_back(Lower(pe_.StringAt(descriptor->Name)));
  }
  EXPECT_FALSE(imported.empty());
  for (const std::string& dll : imported) {
    EXPECT_TRUE(system_dlls.count(dll)) << dll << " is not on every Windows system";
  }
}

struct ResourceEntry {
  DWORD id;
  DWORD data;  // offset of the next directory or of the data entry
  bool is_directory;
};

std::vector<ResourceEntry> ResourceEntries(const PeFile& pe, size_t root,
                                           DWORD directory) {
  std::vector<ResourceEntry> entries;
  const auto* dir = pe.At<IMAGE_RESOURCE_DIRECTORY>(root + directory);
  if (dir == nullptr) return entries;
  const size_t first = root + directory + sizeof(IMAGE_RESOURCE_DIRECTORY);
  for (int i = 0; i < dir->NumberOfNamedEntries + dir->NumberOfIdEntries; ++i) {
    const auto* entry = pe.At<IMAGE_RESOURCE_DIRECTORY_ENTRY>(
        first + i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY));
    if (entry == nullptr) break;
    entries.push_back({entry->Name, entry->OffsetToData & 0x7FFFFFFF,
                       (entry->OffsetToData & 0x80000000) != 0});
  }
  return entries;
}

TEST_F(TrebboAufFile, CarriesOneDpiAwareManifestAndNothingElse) {
  const auto& directory = pe_.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
  ASSERT_NE(directory.VirtualAddress, 0u) << "no resources";
  const size_t root = pe_.OffsetOf(directory.VirtualAddress);

  const auto types = ResourceEntries(pe_, root, 0);
  ASSERT_EQ(types.size(), 1u) << "exactly one resource type";
  EXPECT_EQ(types[0].id, 24u) << "RT_MANIFEST";
  ASSERT_TRUE(types[0].is_directory);
  const auto names = ResourceEntries(pe_, root, types[0].data);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].id, 2u);
  ASSERT_TRUE(names[0].is_directory);
  const auto languages = ResourceEntries(pe_, root, names[0].data);
  ASSERT_EQ(languages.size(), 1u);
  ASSERT_FALSE(languages[0].is_directory);

  const auto* data = pe_.At<IMAGE_RESOURCE_DATA_ENTRY>(root + languages[0].data);
  ASSERT_NE(data, nullptr);
  const size_t offset = pe_.OffsetOf(data->OffsetToData);
  ASSERT_NE(offset, 0u);
  const std::string manifest(pe_.bytes().data() + offset, data->Size);
  const size_t aware = manifest.find("<dpiAware");
  ASSERT_NE(aware, std::string::npos) << manifest;
  const size_t value = manifest.find('>', aware);
  EXPECT_EQ(manifest.compare(value + 1, 4, "true"), 0) << manifest;
}

TEST_F(TrebboAufFile, HoldsEveryJapaneseTextAsShiftJis) {
  const std::string file(pe_.bytes().begin(), pe_.bytes().end());
  for (const char* text :
       {sjis::kCheckSkipEmptyScenes, sjis::kPluginInformation, sjis::kMenuImportAll,
        sjis::kMenuExportAll, sjis::kExeditInformation, sjis::kExeditName,
        sjis::kMsgExeditNotFound,
        sjis::kMsgFolderMissing}) {
    // With its NUL: the text must stand alone, not only as a prefix.
    EXPECT_NE(file.find(std::string(text, std::strlen(text) + 1)), std::string::npos)
        << testing_support::HexBytes(text);
  }
}

}  // namespace
