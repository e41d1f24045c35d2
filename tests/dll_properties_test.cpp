// The file a user drops into the plug-in folder: a 32-bit DLL with one
// undecorated export, system imports only, a manifest and version information
// as its only resources, and its texts in Shift_JIS; and, once loaded, the
// filter table it hands the host. The x86-64 build checks its own plug-in's
// file the same way, and the shipped one's too, which it can read but not
// load.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/host_api.h"
#include "sandbox/host/paths.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

// A plug-in file, the machine it is built for, and what makes it when
// another build than the one under test does.
struct DllFile {
  std::string path;
  WORD machine;
  const char* made_by = "";
};
void PrintTo(const DllFile& file, std::ostream* out) { *out << file.path; }

class TrebboAufFile : public ::testing::TestWithParam<DllFile> {
 protected:
  // The file mapped as an image the system lays out but does not load: it
  // runs nothing and is never a loaded module, so the other tests in this
  // program still see their own first load of the DLL and its DllMain.
  void SetUp() override {
    module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot map " << path_ << ", error " << GetLastError()
                                << GetParam().made_by;
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  // What lies at a relative virtual address of the image. The handle of a
  // resource image is its base with the low bits set to mark the mapping.
  template <typename T>
  const T* At(DWORD rva) const {
    const ULONG_PTR base = reinterpret_cast<ULONG_PTR>(module_) & ~ULONG_PTR{3};
    return reinterpret_cast<const T*>(base + rva);
  }
  // The headers up to the optional header's magic are the same in PE32 and
  // PE32+; the data directories lie further on in PE32+.
  const IMAGE_NT_HEADERS32& Headers() const {
    return *At<IMAGE_NT_HEADERS32>(At<IMAGE_DOS_HEADER>(0)->e_lfanew);
  }
  const IMAGE_DATA_DIRECTORY& Directory(int index) const {
    const IMAGE_NT_HEADERS32& nt = Headers();
    if (nt.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
      return reinterpret_cast<const IMAGE_NT_HEADERS64&>(nt).OptionalHeader.DataDirectory[index];
    }
    return nt.OptionalHeader.DataDirectory[index];
  }

  const std::string path_ = GetParam().path;
  HMODULE module_ = nullptr;
};

// The shipped plug-in is a DLL for the 32-bit editor, PE32 for i386; the
// x86-64 test build's is PE32+.
TEST_P(TrebboAufFile, IsADllForItsMachine) {
  const IMAGE_NT_HEADERS32& nt = Headers();
  EXPECT_EQ(nt.FileHeader.Machine, GetParam().machine);
  EXPECT_EQ(nt.OptionalHeader.Magic, GetParam().machine == IMAGE_FILE_MACHINE_I386
                                         ? IMAGE_NT_OPTIONAL_HDR32_MAGIC
                                         : IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  EXPECT_TRUE(nt.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_P(TrebboAufFile, ExportsGetFilterTableAlone) {
  const auto& directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  ASSERT_NE(directory.VirtualAddress, 0u) << "no export table";
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress);
  EXPECT_EQ(exports->NumberOfFunctions, 1u);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  EXPECT_STREQ(At<char>(*At<DWORD>(exports->AddressOfNames)), "GetFilterTable");
}

TEST_P(TrebboAufFile, ImportsOnlyWindowsSystemDlls) {
  const std::set<std::string> system_dlls = {
      "kernel32.dll", "user32.dll", "shlwapi.dll", "ole32.dll",
      "oleaut32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
      "comdlg32.dll", "gdi32.dll"};
  const auto& directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  ASSERT_NE(directory.VirtualAddress, 0u) << "no import table";
  const auto* descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(directory.VirtualAddress);
  EXPECT_NE(descriptor->Name, 0u) << "imports nothing";
  for (; descriptor->Name != 0; ++descriptor) {
    std::string dll = At<char>(descriptor->Name);
    CharLowerA(dll.data());
    EXPECT_TRUE(system_dlls.count(dll)) << dll << " is not on every Windows system";
  }
}

std::string ResourceName(LPCSTR name) {
  return IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name;
}

// Every resource as "type/id", once for each language it has.
BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD, LONG_PTR resources) {
  reinterpret_cast<std::vector<std::string>*>(resources)->push_back(ResourceName(type) + "/" +
                                                                   ResourceName(name));
  return TRUE;
}
BOOL CALLBACK AddLanguagesOfName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR resources) {
  return EnumResourceLanguagesA(module, type, name, AddLanguage, resources);
}
BOOL CALLBACK AddNamesOfType(HMODULE module, LPSTR type, LONG_PTR resources) {
  return EnumResourceNamesA(module, type, AddLanguagesOfName, resources);
}

TEST_P(TrebboAufFile, CarriesVersionInformationAndADpiAwareManifestAlone) {
  std::vector<std::string> resources;
  EnumResourceTypesA(module_, AddNamesOfType, reinterpret_cast<LONG_PTR>(&resources));
  const std::vector<std::string> expected = {
      "16/1",  // RT_VERSION, read below as Windows reads it
      "24/2",  // RT_MANIFEST, id 2 as a DLL's manifest
  };
  EXPECT_EQ(resources, expected) << "each in one language only";

  const HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(2), RT_MANIFEST);
  ASSERT_NE(found, nullptr) << "no manifest";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module_, found))),
                             SizeofResource(module_, found));
  const size_t aware = manifest.find("<dpiAware");
  ASSERT_NE(aware, std::string::npos) << manifest;
  const size_t value = manifest.find('>', aware);
  EXPECT_EQ(manifest.compare(value + 1, 4, "true"), 0) << manifest;
}

// The four numbers of a fixed version, dotted.
std::string Dotted(DWORD ms, DWORD ls) {
  return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." +
         std::to_string(HIWORD(ls)) + "." + std::to_string(LOWORD(ls));
}

// The version information as tools read it: through the system's own
// version API.
TEST_P(TrebboAufFile, NamesTheProductItsFileAndTheProjectVersion) {
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path_.c_str(), &ignored));
  ASSERT_FALSE(info.empty()) << "no version information, error " << GetLastError();
  ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  UINT length = 0;
  auto query = [&](const std::wstring& key) -> const void* {
    void* value = nullptr;
    return VerQueryValueW(info.data(), key.c_str(), &value, &length) ? value : nullptr;
  };
  // A string of the table in Japanese (0x0411) and Unicode (1200, 0x04b0),
  // the only translation the file may have.
  auto version_string = [&](const wchar_t* name) {
    const auto* text = static_cast<const wchar_t*>(
        query(std::wstring(L"\\StringFileInfo\\041104b0\\") + name));
    return text != nullptr ? std::wstring(text, wcsnlen(text, length))
                           : std::wstring(L"<no ") + name + L">";
  };

  const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(std::vector<WORD>(translation, translation + length / sizeof(WORD)),
            (std::vector<WORD>{0x0411, 1200}));

  EXPECT_EQ(version_string(L"ProductName"), L"Trebbo");
  EXPECT_EQ(version_string(L"OriginalFilename"), L"trebbo.auf");
  EXPECT_EQ(version_string(L"FileVersion"), L"" TREBBO_PROJECT_VERSION);
  EXPECT_EQ(version_string(L"ProductVersion"), L"" TREBBO_PROJECT_VERSION);
  // Compiled from UTF-8 source: a wrong code page would garble the Japanese.
  EXPECT_EQ(version_string(L"FileDescription"), L"" TREBBO_PROJECT_DESCRIPTION);
  EXPECT_EQ(version_string(L"LegalCopyright"), L"" TREBBO_COPYRIGHT);

  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
  ASSERT_NE(fixed, nullptr);
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  // The project's three numbers and the 0 the resource script adds.
  EXPECT_EQ(Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), TREBBO_PROJECT_VERSION ".0");
  EXPECT_EQ(Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS),
            TREBBO_PROJECT_VERSION ".0");
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "not a debug or pre-release build";
}

TEST_P(TrebboAufFile, HoldsEveryJapaneseTextAsShiftJis) {
  std::ifstream in(path_, std::ios::binary);
  const std::string file(std::istreambuf_iterator<char>(in), {});
  for (const char* text :
       {sjis::kCheckSkipEmptyScenes, sjis::kPluginInformation, sjis::kMenuImportAll,
        sjis::kMenuExportAll, sjis::kExeditInformation, sjis::kExeditName,
        sjis::kMsgExeditNotFound, sjis::kMsgFolderMissing}) {
    // With its NUL: the text must stand alone, not only as a prefix.
    EXPECT_NE(file.find(std::string(text, std::strlen(text) + 1)), std::string::npos)
        << testing::PrintToString(std::string(text));
  }
}

// The plug-in this build loads, in the 32-bit build the shipped one; and in
// the x86-64 build the shipped one besides, read but never loaded.
INSTANTIATE_TEST_SUITE_P(ThisBuild, TrebboAufFile,
                         ::testing::Values(DllFile{testing_support::TrebboAufPath(),
                                                   sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386
                                                                      : IMAGE_FILE_MACHINE_AMD64}));
#ifdef _WIN64
INSTANTIATE_TEST_SUITE_P(Shipped, TrebboAufFile,
                         ::testing::Values(DllFile{
                             sandbox::WindowsPath(TREBBO_SHIPPED_AUF_PATH), IMAGE_FILE_MACHINE_I386,
                             "; dist/trebbo.auf is made by the 32-bit build: `cmake --build "
                             "--preset default`, or run `scripts/test.sh`"}));
#endif

// ---- the filter table, from the loaded DLL ---------------------------------

using GetFilterTableFn = FilterTable*(__cdecl*)();

class LoadedTrebbo : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(testing_support::TrebboAufPath().c_str());
    ASSERT_NE(module_, nullptr) << "LoadLibrary failed: " << GetLastError();
    get_table_ = reinterpret_cast<GetFilterTableFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "GetFilterTable")));
    ASSERT_NE(get_table_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  bool InsideModule(const void* address) const {
    HMODULE owner = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<const char*>(address), &owner);
    return owner == module_;
  }

  HMODULE module_ = nullptr;
  GetFilterTableFn get_table_ = nullptr;
};

TEST_F(LoadedTrebbo, TableHoldsExactlyTheRegisteredValues) {
  const FilterTable* table = get_table_();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->flags, 0x2004);
  ASSERT_NE(table->name, nullptr);
  EXPECT_STREQ(table->name, "Trebbo");
  ASSERT_EQ(table->check_count, 1);
  ASSERT_NE(table->check_labels, nullptr);
  EXPECT_STREQ(table->check_labels[0], sjis::kCheckSkipEmptyScenes);
  ASSERT_NE(table->check_defaults, nullptr);
  EXPECT_EQ(table->check_defaults[0], 1);
  ASSERT_NE(table->information, nullptr);
  EXPECT_STREQ(table->information, sjis::kPluginInformation);

  const void* callbacks[] = {reinterpret_cast<const void*>(table->func_init),
                             reinterpret_cast<const void*>(table->func_exit),
                             reinterpret_cast<const void*>(table->func_wndproc)};
  for (const void* callback : callbacks) EXPECT_TRUE(InsideModule(callback));
  EXPECT_NE(callbacks[0], callbacks[1]);
  EXPECT_NE(callbacks[1], callbacks[2]);

  // The integers whole, and every other word of the 35 zero for the host
  // to fill or ignore. A word is 4 bytes, or an 8-byte slot in the x86-64
  // layout, where an integer leaves the slot's high half zero.
  std::vector<uintptr_t> words(35);
  std::memcpy(words.data(), table, sizeof(FilterTable));
  for (int pointer_offset : {12, 40, 44, 52, 56, 64, 84}) words[pointer_offset / 4] = 0;
  std::vector<uintptr_t> expected(35, 0);
  expected[0 / 4] = 0x2004;  // flags
  expected[36 / 4] = 1;      // checkbox count
  EXPECT_EQ(words, expected);
}

TEST_F(LoadedTrebbo, SecondRequestGivesTheSameTableWithoutRefilling) {
  FilterTable* first = get_table_();
  ASSERT_NE(first, nullptr);
  first->flags = 0;  // a refill would bring 0x2004 back
  first->reserved_4 = 77;
  FilterTable* second = get_table_();
  EXPECT_EQ(second, first);
  EXPECT_EQ(second->flags, 0);
  EXPECT_EQ(second->reserved_4, 77);
}

}  // namespace
