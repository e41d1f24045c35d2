// The file a user drops into the plug-in folder: a DLL with one undecorated
// export, system imports only, a manifest and version information as its
// only resources, and its texts in Shift_JIS. Read straight from the PE
// file, not through a loader, except the version information, which is read
// as Windows shows it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
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

class TrebboAufFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(pe_.Empty()) << "cannot read " << testing_support::TrebboAufPath();
    ASSERT_NE(pe_.Nt(), nullptr) << "not a PE file";
  }
  PeFile pe_{testing_support::TrebboAufPath()};
};

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
    imported.push_back(pe_.StringAt(descriptor->Name));
    CharLowerA(imported.back().data());
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

// The data of the resource type/id with its one language, or nullptr.
const IMAGE_RESOURCE_DATA_ENTRY* OnlyLanguageOf(const PeFile& pe, size_t root,
                                                const ResourceEntry& name) {
  if (!name.is_directory) return nullptr;
  const auto languages = ResourceEntries(pe, root, name.data);
  if (languages.size() != 1 || languages[0].is_directory) return nullptr;
  return pe.At<IMAGE_RESOURCE_DATA_ENTRY>(root + languages[0].data);
}

TEST_F(TrebboAufFile, CarriesVersionInformationAndADpiAwareManifestAlone) {
  const auto& directory = pe_.Directory(IMAGE_DIRECTORY_ENTRY_RESOURCE);
  ASSERT_NE(directory.VirtualAddress, 0u) << "no resources";
  const size_t root = pe_.OffsetOf(directory.VirtualAddress);

  // Every resource as type/id, in the directory's order.
  std::vector<std::pair<DWORD, DWORD>> resources;
  const IMAGE_RESOURCE_DATA_ENTRY* manifest_data = nullptr;
  for (const ResourceEntry& type : ResourceEntries(pe_, root, 0)) {
    ASSERT_TRUE(type.is_directory);
    for (const ResourceEntry& name : ResourceEntries(pe_, root, type.data)) {
      resources.emplace_back(type.id, name.id);
      const auto* data = OnlyLanguageOf(pe_, root, name);
      EXPECT_NE(data, nullptr) << "resource " << type.id << "/" << name.id
                               << " has not exactly one language";
      if (type.id == 24 && name.id == 2) manifest_data = data;
    }
  }
  const std::vector<std::pair<DWORD, DWORD>> expected = {
      {16, 1},  // RT_VERSION, read below as Windows reads it
      {24, 2},  // RT_MANIFEST, id 2 as a DLL's manifest
  };
  EXPECT_EQ(resources, expected);
  ASSERT_NE(manifest_data, nullptr);

  const size_t offset = pe_.OffsetOf(manifest_data->OffsetToData);
  ASSERT_NE(offset, 0u);
  const std::string manifest(pe_.bytes().data() + offset, manifest_data->Size);
  const size_t aware = manifest.find("<dpiAware");
  ASSERT_NE(aware, std::string::npos) << manifest;
  const size_t value = manifest.find('>', aware);
  EXPECT_EQ(manifest.compare(value + 1, 4, "true"), 0) << manifest;
}

// The version information as Windows shows it in the file's properties,
// read through the system's own version API.
class TrebboAufVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = testing_support::TrebboAufPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version information, error " << GetLastError();
    info_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info_.data()));
  }

  // For the project's version and copyright, which are ASCII.
  static std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
  }

  const void* Query(const std::wstring& key, UINT* length) {
    void* value = nullptr;
    if (!VerQueryValueW(info_.data(), key.c_str(), &value, length)) return nullptr;
    return value;
  }

  // A string of the string table in Japanese (0x0411) and Unicode (1200,
  // 0x04b0), the only one the test below lets the file have.
  std::wstring String(const wchar_t* name) {
    UINT length = 0;
    const auto* text = static_cast<const wchar_t*>(
        Query(std::wstring(L"\\StringFileInfo\\041104b0\\") + name, &length));
    if (text == nullptr) return std::wstring(L"<no ") + name + L">";
    return std::wstring(text, wcsnlen(text, length));
  }

  std::vector<char> info_;
};

// "1.0.0" as the four numbers of a fixed version: 1, 0, 0, 0.
std::vector<unsigned> VersionNumbers(const std::string& version) {
  std::vector<unsigned> numbers;
  std::istringstream in(version);
  for (std::string part; std::getline(in, part, '.');) numbers.push_back(std::stoul(part));
  numbers.resize(4, 0);
  return numbers;
}

TEST_F(TrebboAufVersion, NamesTheProductItsFileAndTheProjectVersion) {
  // Japanese in Unicode, the only translation.
  UINT length = 0;
  const auto* translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &length));
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(length, 2 * sizeof(WORD));
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 1200);

  const std::wstring version = Wide(TREBBO_PROJECT_VERSION);
  EXPECT_EQ(String(L"ProductName"), L"Trebbo");
  EXPECT_EQ(String(L"OriginalFilename"), L"trebbo.auf");
  EXPECT_EQ(String(L"FileVersion"), version);
  EXPECT_EQ(String(L"ProductVersion"), version);
  // Compiled from UTF-8 source: a wrong code page would garble the Japanese.
  EXPECT_EQ(String(L"FileDescription"), L"" TREBBO_PROJECT_DESCRIPTION);
  EXPECT_EQ(String(L"LegalCopyright"), Wide(TREBBO_COPYRIGHT));

  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", &length));
  ASSERT_NE(fixed, nullptr);
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  auto numbers = [](DWORD ms, DWORD ls) {
    return std::vector<unsigned>{HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls)};
  };
  const std::vector<unsigned> version_numbers = VersionNumbers(TREBBO_PROJECT_VERSION);
  EXPECT_EQ(numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version_numbers);
  EXPECT_EQ(numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS), version_numbers);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "not a debug or pre-release build";
}

TEST_F(TrebboAufFile, HoldsEveryJapaneseTextAsShiftJis) {
  const std::string file(pe_.bytes().begin(), pe_.bytes().end());
  for (const char* text :
       {sjis::kCheckSkipEmptyScenes, sjis::kPluginInformation, sjis::kMenuImportAll,
        sjis::kMenuExportAll, sjis::kExeditInformation, sjis::kExeditName,
        sjis::kMsgExeditNotFound, sjis::kMsgFolderMissing}) {
    // With its NUL: the text must stand alone, not only as a prefix.
    EXPECT_NE(file.find(std::string(text, std::strlen(text) + 1)), std::string::npos)
        << testing_support::HexBytes(text);
  }
}

}  // namespace
