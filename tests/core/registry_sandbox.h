// A registry key of a test's own, on every registry of the build: the
// in-memory one everywhere, and in the Windows build the real one (a key
// below HKEY_CURRENT_USER, made for the test and removed after it).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "tests/core/fakes.h"

namespace fendrel::testing {

class RegistrySandbox {
 public:
  virtual ~RegistrySandbox() = default;
  virtual RegistryApi& api() = 0;
  // The key: `path` below `root`.
  virtual RegistryKey root() const = 0;
  virtual std::string path() const = 0;
  // A value of the key as stored, or nothing when it is missing.
  virtual std::optional<FakeRegistry::Value> Get(const std::string& name) = 0;
  virtual std::size_t ValueCount() = 0;
  virtual bool KeyExists(const std::string& path) = 0;
};

struct RegistryKind {
  std::string name;
  std::unique_ptr<RegistrySandbox> (*make)();
};
std::vector<RegistryKind> RegistryKinds();

#ifdef FENDREL_WIN32_TESTS
// tests/core/registry_sandbox_win.cpp
std::unique_ptr<RegistrySandbox> MakeRealRegistrySandbox();
#endif

}  // namespace fendrel::testing
