// Writing and removing a value below an existing key: one contract on every
// registry of the build (the in-memory one, and the real one in the Windows
// build), then the failures only the in-memory registry can stage.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "tests/core/fakes.h"
#include "tests/core/registry_sandbox.h"

namespace fendrel {
namespace {

using testing::FakeRegistry;
using Value = FakeRegistry::Value;

class RegistryContractTest : public ::testing::TestWithParam<testing::RegistryKind> {
 protected:
  long Write(const std::string& name, const RegistryValue& value, std::uint32_t type) {
    return registry_.RegWriteSetting(sandbox_->root(), sandbox_->path(), name, value, type);
  }
  long Remove(const std::string& name) {
    return registry_.RegRemoveSetting(sandbox_->root(), sandbox_->path(), name);
  }
  std::optional<Value> Stored(const std::string& name) { return sandbox_->Get(name); }

  std::unique_ptr<testing::RegistrySandbox> sandbox_ = GetParam().make();
  Registry registry_{sandbox_->api()};
};

TEST_P(RegistryContractTest, ATextIsItsBytesFollowedByOneNul) {
  EXPECT_EQ(0, Write("Text", std::string("C:\\a b\\x.exe \"/s\""), kRegSz));
  EXPECT_EQ((Value{kRegSz, std::string("C:\\a b\\x.exe \"/s\"") + '\0'}), Stored("Text"));
  // A folder named outside the ANSI code page keeps its name.
  const std::string named = "C:\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82\\Fendrel.exe /silent";  // "Отчёт"
  EXPECT_EQ(0, Write("Named", named, kRegSz));
  EXPECT_EQ((Value{kRegSz, named + '\0'}), Stored("Named"));
  EXPECT_EQ(0, Write("Empty", std::string(), kRegSz));
  EXPECT_EQ((Value{kRegSz, std::string(1, '\0')}), Stored("Empty"));
  EXPECT_EQ(0, Write("Number", std::int32_t{-12}, kRegSz));
  EXPECT_EQ((Value{kRegSz, std::string("-12\0", 4)}), Stored("Number"));
}

TEST_P(RegistryContractTest, ANumberIsFourBytesLeastSignificantFirst) {
  EXPECT_EQ(0, Write("A", std::int32_t{0x12345678}, kRegDword));
  EXPECT_EQ((Value{kRegDword, std::string("\x78\x56\x34\x12", 4)}), Stored("A"));
  EXPECT_EQ(0, Write("B", std::int32_t{-2}, kRegDword));
  EXPECT_EQ((Value{kRegDword, std::string("\xfe\xff\xff\xff", 4)}), Stored("B"));
  EXPECT_EQ(0, Write("C", std::string("305419896"), kRegDword));
  EXPECT_EQ((Value{kRegDword, std::string("\x78\x56\x34\x12", 4)}), Stored("C"));
}

TEST_P(RegistryContractTest, WhatCannotBeWrittenAsTheTypeWritesNothing) {
  EXPECT_EQ(kErrorInvalidParameter, Write("A", std::string("12 apples"), kRegDword));
  EXPECT_EQ(kErrorInvalidParameter, Write("B", std::string("4294967296"), kRegDword));
  EXPECT_EQ(kErrorInvalidParameter, Write("C", std::string("x"), 3));
  EXPECT_EQ(0u, sandbox_->ValueCount());
}

TEST_P(RegistryContractTest, WritingTheSameNameTwiceInAnyCaseKeepsOneValueWithTheLastData) {
  Write("Name", std::string("first"), kRegSz);
  Write("NAME", std::string("second"), kRegSz);
  EXPECT_EQ(1u, sandbox_->ValueCount());
  EXPECT_EQ((Value{kRegSz, std::string("second\0", 7)}), Stored("Name"));
}

TEST_P(RegistryContractTest, AMissingKeyIsNeverCreatedAndTheFailureIsReturned) {
  const std::string missing = sandbox_->path() + "\\Missing";
  EXPECT_EQ(kErrorFileNotFound,
            registry_.RegWriteSetting(sandbox_->root(), missing, "A", std::string("x"), kRegSz));
  EXPECT_FALSE(sandbox_->KeyExists(missing));
  EXPECT_EQ(0, registry_.RegRemoveSetting(sandbox_->root(), missing, "A"));  // nothing there: removed
  EXPECT_FALSE(sandbox_->KeyExists(missing));
}

TEST_P(RegistryContractTest, RemovingTakesOneValueAndAMissingOneIsAlreadyRemoved) {
  Write("Gone", std::string("x"), kRegSz);
  Write("Stays", std::string("y"), kRegSz);
  EXPECT_EQ(0, Remove("Gone"));
  EXPECT_FALSE(Stored("Gone"));
  EXPECT_EQ(0, Remove("Gone"));
  EXPECT_EQ(1u, sandbox_->ValueCount());
  EXPECT_TRUE(Stored("Stays"));
}

INSTANTIATE_TEST_SUITE_P(AllRegistries, RegistryContractTest, ::testing::ValuesIn(testing::RegistryKinds()),
                         [](const auto& info) { return info.param.name; });

// What only the in-memory registry can show: the access each call asks
// for, that every key is closed, and failures of the calls themselves.
class RegistryFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { api_.AddKey(kHkeyLocalMachine, kKey); }

  static constexpr const char* kKey = "Software\\Fendrel Test";
  FakeRegistry api_;
  Registry registry_{api_};
};

TEST_F(RegistryFaultTest, EveryCallOpensTheKeyWithFullAccessAndClosesIt) {
  registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::string("x"), kRegSz);
  registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "B", std::string("x"), kRegDword);
  registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "A");
  EXPECT_EQ((std::vector<std::uint32_t>{kKeyAllAccess, kKeyAllAccess, kKeyAllAccess}), api_.accessAsked);
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(RegistryFaultTest, FailuresToOpenWriteOrRemoveAreReturnedAndChangeNothing) {
  api_.Put(kHkeyLocalMachine, kKey, "Stays", {kRegSz, std::string("y\0", 2)});
  api_.failOpen = 5;
  EXPECT_EQ(5, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::string("x"), kRegSz));
  EXPECT_EQ(5, registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "Stays"));
  api_.failOpen = 0;
  api_.failSet = 1021;
  EXPECT_EQ(1021, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::string("x"), kRegSz));
  api_.failDelete = 5;
  EXPECT_EQ(5, registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "Stays"));
  EXPECT_EQ(1u, api_.ValueCount(kHkeyLocalMachine, kKey));
  EXPECT_TRUE(api_.Get(kHkeyLocalMachine, kKey, "Stays"));
  EXPECT_EQ(0u, api_.OpenHandles());
}

}  // namespace
}  // namespace fendrel
