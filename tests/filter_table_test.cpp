// The filter table as the host receives it from the loaded DLL.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "host/host_api.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

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

  // Every other word of the 35 stays zero for the host to fill or ignore.
  std::vector<uint32_t> words(35);
  std::memcpy(words.data(), table, 35 * sizeof(uint32_t));
  for (int set_offset : {0, 12, 36, 40, 44, 52, 56, 64, 84}) words[set_offset / 4] = 0;
  EXPECT_EQ(words, std::vector<uint32_t>(35, 0));
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
