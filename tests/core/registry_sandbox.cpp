#include "tests/core/registry_sandbox.h"

namespace fendrel::testing {

namespace {

class FakeSandbox : public RegistrySandbox {
 public:
  FakeSandbox() { registry_.AddKey(kHkeyLocalMachine, kPath); }
  RegistryApi& api() override { return registry_; }
  RegistryKey root() const override { return kHkeyLocalMachine; }
  std::string path() const override { return kPath; }
  std::optional<FakeRegistry::Value> Get(const std::string& name) override {
    return registry_.Get(kHkeyLocalMachine, kPath, name);
  }
  std::size_t ValueCount() override { return registry_.ValueCount(kHkeyLocalMachine, kPath); }
  bool KeyExists(const std::string& path) override { return registry_.HasKey(kHkeyLocalMachine, path); }

 private:
  static constexpr const char* kPath = "Software\\Fendrel Test";
  FakeRegistry registry_;
};

}  // namespace

std::vector<RegistryKind> RegistryKinds() {
  std::vector<RegistryKind> kinds;
  kinds.push_back(
      {"InMemory", []() -> std::unique_ptr<RegistrySandbox> { return std::make_unique<FakeSandbox>(); }});
#ifdef FENDREL_WIN32_TESTS
  kinds.push_back({"Win32", &MakeRealRegistrySandbox});
#endif
  return kinds;
}

}  // namespace fendrel::testing
