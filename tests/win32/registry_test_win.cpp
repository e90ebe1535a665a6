// The ON/OFF switch against the real registry: the Run value "Fendrel" under
// HKEY_LOCAL_MACHINE is saved before each test and put back after it.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/registry_api_win.h"
#include "screen/messages.h"
#include "startup/on_off_switch.h"
#include "tests/core/fakes.h"

namespace fendrel {
namespace {

struct RawValue {
  DWORD type = 0;
  std::string bytes;
  friend bool operator==(const RawValue&, const RawValue&) = default;
};

void PrintTo(const RawValue& value, std::ostream* out) {
  *out << "type " << value.type << ", " << value.bytes.size()
       << " bytes: " << ::testing::PrintToString(value.bytes);
}

// The value as RegQueryValueExA reports it, or nothing when it is missing.
// `view` is 0 or KEY_WOW64_32KEY.
std::optional<RawValue> Query(HKEY root, const char* path, const char* name, REGSAM view = 0) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return std::nullopt;
  const UniqueKey key(opened);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::string bytes(size, '\0');
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  bytes.resize(size);
  return RawValue{type, bytes};
}

LONG Store(HKEY root, const char* path, const char* name, const RawValue& value, REGSAM view = 0) {
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExA(root, path, 0, KEY_SET_VALUE | view, &opened);
  if (status != ERROR_SUCCESS) return status;
  const UniqueKey key(opened);
  return RegSetValueExA(key.get(), name, 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                        static_cast<DWORD>(value.bytes.size()));
}

LONG Delete(HKEY root, const char* path, const char* name, REGSAM view = 0) {
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExA(root, path, 0, KEY_SET_VALUE | view, &opened);
  if (status != ERROR_SUCCESS) return status;
  const UniqueKey key(opened);
  return RegDeleteValueA(key.get(), name);
}

// Also the Run key's 32-bit view, made when missing (as in a Wine prefix
// without 32-bit Wine).
class RunValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY made = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, nullptr, 0,
                                             KEY_READ | KEY_WOW64_32KEY, nullptr, &made, nullptr));
    RegCloseKey(made);
    for (int view : {0, 1})
      saved_[view] = Query(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName, kViews[view]);
  }
  void TearDown() override {
    for (int view : {0, 1}) {
      if (saved_[view]) {
        EXPECT_EQ(ERROR_SUCCESS,
                  Store(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName, *saved_[view], kViews[view]));
      } else {
        Delete(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName, kViews[view]);
      }
    }
  }

  std::optional<RawValue> RunValue() { return Query(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName); }

  static constexpr REGSAM kViews[] = {0, KEY_WOW64_32KEY};
  std::optional<RawValue> saved_[2];
  Win32RegistryApi api_;
  testing::RecordingMessageBoxes boxes_;
  OnOffSwitch switch_{api_, boxes_, "C:\\Program Files\\Fendrel Test"};
};

TEST_F(RunValueTest, OnWritesTheCommandAsTextWithOneNulAndOffRemovesIt) {
  const SwitchLook on = switch_.Click(true);
  EXPECT_TRUE(on.checked);
  EXPECT_EQ("Fendrel is currently ON", on.caption);
  EXPECT_EQ((RawValue{REG_SZ, std::string("C:\\Program Files\\Fendrel Test\\Fendrel.exe /silent") + '\0'}),
            RunValue());
  EXPECT_TRUE(AutoStartIsOn(api_));

  const SwitchLook off = switch_.Click(false);
  EXPECT_FALSE(off.checked);
  EXPECT_EQ("Fendrel is currently OFF", off.caption);
  EXPECT_FALSE(RunValue());
  EXPECT_FALSE(AutoStartIsOn(api_));

  EXPECT_FALSE(switch_.Click(false).checked);  // nothing to remove: still fine
  EXPECT_TRUE(boxes_.shown.empty());
}

// A value "Fendrel" of any type or length reads ON, says nothing, and the
// start puts this program's command in its place.
TEST_F(RunValueTest, AnyValueReadsOnAndAStartRewritesItWithTheCommand) {
  const DWORD one = 1;
  for (const RawValue& odd :
       {RawValue{REG_SZ, std::string(300, 'x') + '\0'},  // longer than a query reads
        RawValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&one), sizeof one)},
        RawValue{REG_BINARY, std::string("\xff\x00\x10", 3)}, RawValue{REG_BINARY, ""}}) {
    const std::string value = ::testing::PrintToString(odd);
    ASSERT_EQ(ERROR_SUCCESS, Store(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName, odd));
    boxes_.shown.clear();
    EXPECT_TRUE(AutoStartIsOn(api_)) << value;
    EXPECT_EQ(LookOf(true), switch_.ShowOnOffState()) << value;
    EXPECT_TRUE(boxes_.shown.empty()) << value;
    EXPECT_EQ((RawValue{REG_SZ, switch_.RunCommand() + '\0'}), RunValue()) << value;
  }
}

TEST_F(RunValueTest, TheValueIn32BitViewReadsOnAndAStartLeavesOnlyThisProgramsValue) {
  Delete(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName);
  ASSERT_EQ(ERROR_SUCCESS, Store(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName,
                                 RawValue{REG_SZ, std::string("old", 4)}, KEY_WOW64_32KEY));
  ASSERT_FALSE(RunValue()) << "the registry's views are one key here";
  EXPECT_TRUE(switch_.ShowOnOffState().checked);
  EXPECT_EQ((RawValue{REG_SZ, switch_.RunCommand() + '\0'}), RunValue());
  EXPECT_FALSE(Query(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName, KEY_WOW64_32KEY));
}

// The registry module's contract runs on the real registry with the core
// tests (tests/core/registry_test.cpp); here only what is the real
// registry's own.
TEST(Win32RegistryApiTest, StatusCodesAreDescribedInWordsEachItsOwnAndEndingInNoBreakOrStop) {
  Win32RegistryApi api;
  const std::string denied = api.Describe(ERROR_ACCESS_DENIED), missing = api.Describe(ERROR_FILE_NOT_FOUND);
  EXPECT_NE(denied, missing);
  for (const std::string& text : {denied, missing}) {
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(std::string::npos, std::string("\r\n. ").find(text.back())) << text;
    EXPECT_NE("no description", text);
  }
  EXPECT_EQ("no description", api.Describe(0x2000FFFF));  // a status Windows has no words for
}

}  // namespace
}  // namespace fendrel
