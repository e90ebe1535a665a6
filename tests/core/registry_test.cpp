// Writing and removing a value below an existing key, on the in-memory
// registry.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "tests/core/fakes.h"

namespace fendrel {
namespace {

using testing::FakeRegistry;
using Value = FakeRegistry::Value;

constexpr const char* kKey = "Software\\Fendrel Test";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { api_.AddKey(kHkeyLocalMachine, kKey); }

  std::optional<Value> Stored(const std::string& name) { return api_.Get(kHkeyLocalMachine, kKey, name); }

  FakeRegistry api_;
  Registry registry_{api_};
};

TEST_F(RegistryTest, ATextIsItsBytesFollowedByOneNul) {
  EXPECT_EQ(0, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "Text", std::string("C:\\a b\\x.exe /s"),
                                         kRegSz));
  EXPECT_EQ((Value{kRegSz, std::string("C:\\a b\\x.exe /s\0", 16)}), Stored("Text"));
  EXPECT_EQ(0, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "Empty", std::string(), kRegSz));
  EXPECT_EQ((Value{kRegSz, std::string(1, '\0')}), Stored("Empty"));
  EXPECT_EQ(0, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "Number", std::int32_t{-12}, kRegSz));
  EXPECT_EQ((Value{kRegSz, std::string("-12\0", 4)}), Stored("Number"));
  EXPECT_EQ((std::vector<std::uint32_t>{kKeyAllAccess, kKeyAllAccess, kKeyAllAccess}), api_.accessAsked);
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(RegistryTest, ANumberIsFourBytesLeastSignificantFirst) {
  EXPECT_EQ(0, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::int32_t{0x12345678}, kRegDword));
  EXPECT_EQ((Value{kRegDword, std::string("\x78\x56\x34\x12", 4)}), Stored("A"));
  EXPECT_EQ(0, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "B", std::int32_t{-2}, kRegDword));
  EXPECT_EQ((Value{kRegDword, std::string("\xfe\xff\xff\xff", 4)}), Stored("B"));
  EXPECT_EQ(0, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "C", std::string("305419896"), kRegDword));
  EXPECT_EQ((Value{kRegDword, std::string("\x78\x56\x34\x12", 4)}), Stored("C"));
}

TEST_F(RegistryTest, WhatCannotBeWrittenAsTheTypeWritesNothing) {
  EXPECT_EQ(kErrorInvalidParameter,
            registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::string("12 apples"), kRegDword));
  EXPECT_EQ(kErrorInvalidParameter,
            registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "B", std::string("4294967296"), kRegDword));
  EXPECT_EQ(kErrorInvalidParameter,
            registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "C", std::string("x"), 3));
  EXPECT_EQ(0u, api_.ValueCount(kHkeyLocalMachine, kKey));
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(RegistryTest, WritingTheSameNameTwiceKeepsOneValueWithTheLastData) {
  registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "Name", std::string("first"), kRegSz);
  registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "NAME", std::string("second"), kRegSz);
  EXPECT_EQ(1u, api_.ValueCount(kHkeyLocalMachine, kKey));
  EXPECT_EQ((Value{kRegSz, std::string("second\0", 7)}), Stored("Name"));
}

TEST_F(RegistryTest, AMissingKeyIsNeverCreatedAndTheFailureIsReturned) {
  EXPECT_EQ(kErrorFileNotFound,
            registry_.RegWriteSetting(kHkeyLocalMachine, "Software\\Missing", "A", std::string("x"), kRegSz));
  EXPECT_FALSE(api_.HasKey(kHkeyLocalMachine, "Software\\Missing"));
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(RegistryTest, FailuresToOpenOrWriteAreReturnedAndChangeNothing) {
  api_.failOpen = 5;
  EXPECT_EQ(5, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::string("x"), kRegSz));
  EXPECT_EQ(5, registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "A"));
  api_.failOpen = 0;
  api_.failSet = 1021;
  EXPECT_EQ(1021, registry_.RegWriteSetting(kHkeyLocalMachine, kKey, "A", std::string("x"), kRegSz));
  EXPECT_EQ(0u, api_.ValueCount(kHkeyLocalMachine, kKey));
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(RegistryTest, RemovingTakesOneValueAndAMissingOneIsAlreadyRemoved) {
  api_.Put(kHkeyLocalMachine, kKey, "Gone", {kRegSz, std::string("x\0", 2)});
  api_.Put(kHkeyLocalMachine, kKey, "Stays", {kRegSz, std::string("y\0", 2)});
  EXPECT_EQ(0, registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "Gone"));
  EXPECT_FALSE(Stored("Gone"));
  EXPECT_EQ(0, registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "Gone"));
  EXPECT_EQ(0, registry_.RegRemoveSetting(kHkeyLocalMachine, "Software\\Missing", "Gone"));
  EXPECT_EQ(1u, api_.ValueCount(kHkeyLocalMachine, kKey));
  EXPECT_FALSE(api_.HasKey(kHkeyLocalMachine, "Software\\Missing"));

  api_.failDelete = 5;
  EXPECT_EQ(5, registry_.RegRemoveSetting(kHkeyLocalMachine, kKey, "Stays"));
  EXPECT_TRUE(Stored("Stays"));
  EXPECT_EQ(0u, api_.OpenHandles());
}

}  // namespace
}  // namespace fendrel
