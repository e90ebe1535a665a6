// Fakes of the platform interfaces, one of each for every test: message
// boxes and window actions that record what they were asked, a file dialog
// and a browser that do nothing, a system folder that
// names any folder, and an in-memory registry that can be told to fail.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/browser.h"
#include "platform/file_picker.h"
#include "platform/message_boxes.h"
#include "platform/registry_api.h"
#include "platform/system_folder.h"
#include "screen/form1_actions.h"

namespace fendrel::testing {

// One list of what the fakes were asked, in order, for tests that care
// about the order across fakes: "box Title: text", "selectframe(0, 1)",
// "CloseProgram".
using EventLog = std::vector<std::string>;

class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string title;
    friend bool operator==(const Box&, const Box&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Box& box) {
      return out << "[" << box.title << "] " << box.text;
    }
  };

  explicit RecordingMessageBoxes(EventLog* log = nullptr) : log_(log) {}
  void Show(const std::string& text, const std::string& title) override;

  std::vector<Box> shown;

 private:
  EventLog* log_;
};

// A file dialog the person always cancels.
class NoPicker : public FilePicker {
 public:
  std::optional<std::string> PickFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// A web browser that never opens.
class NoBrowser : public Browser {
 public:
  bool Open(const std::string&) override { return false; }
};

class RecordingForm1Actions : public Form1Actions {
 public:
  explicit RecordingForm1Actions(EventLog* log = nullptr) : log_(log) {}
  void SelectPage(int pageIndex, std::int16_t override) override;
  void CloseProgram() override;

  std::vector<std::pair<int, std::int16_t>> framesSelected;
  int closeCalls = 0;

 private:
  EventLog* log_;
};

class FakeSystemFolder : public SystemFolder {
 public:
  explicit FakeSystemFolder(std::string path) : path(std::move(path)) {}
  std::string GetDataFolder(int csidl) override {
    asked.push_back(csidl);
    const auto other = others.find(csidl);
    return other == others.end() ? path : other->second;
  }

  std::string path;                   // every folder not in `others`
  std::map<int, std::string> others;  // folders of their own, by identifier
  std::vector<int> asked;
};

// Keys and value names compare without regard to letter case, as in the
// registry. Keys exist only when added; nothing here creates one. An open in
// the 32-bit view (kKeyWow64_32Key) of a key under HKEY_LOCAL_MACHINE\Software
// reaches it below Software\WOW6432Node, as on 64-bit Windows.
class FakeRegistry : public RegistryApi {
 public:
  struct Value {
    std::uint32_t type = 0;
    std::string bytes;
    friend bool operator==(const Value&, const Value&) = default;
    // The type and the bytes, with every byte outside printable ASCII as \xNN.
    friend std::ostream& operator<<(std::ostream& out, const Value& value);
  };

  void AddKey(RegistryKey root, const std::string& path);
  bool HasKey(RegistryKey root, const std::string& path) const;
  void Put(RegistryKey root, const std::string& path, const std::string& name, Value value);
  std::optional<Value> Get(RegistryKey root, const std::string& path, const std::string& name) const;
  std::size_t ValueCount(RegistryKey root, const std::string& path) const;
  std::size_t OpenHandles() const { return handles_.size(); }

  // Non-zero: every open fails with this code.
  long failOpen = 0;
  // Non-zero: opens asking to change values fail with this code, as for a
  // user who may read the machine-wide keys but not change them.
  long failOpenForChange = 0;
  long failSet = 0;
  long failDelete = 0;
  // True: the 32-bit view is the key itself, as on Windows without a 32-bit side.
  bool oneView = false;
  // The access mask of every open, in order.
  std::vector<std::uint32_t> accessAsked;

  long OpenKey(RegistryKey root, const std::string& path, std::uint32_t access, RegistryKey& key) override;
  long QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type, std::string& data,
                  std::uint32_t capacity) override;
  long SetValue(RegistryKey key, const std::string& name, std::uint32_t type,
                const std::string& bytes) override;
  long DeleteValue(RegistryKey key, const std::string& name) override;
  long CloseKey(RegistryKey key) override;
  std::string Describe(long status) override { return "fake error " + std::to_string(status); }

 private:
  using KeyName = std::pair<RegistryKey, std::string>;
  struct Handle {
    KeyName key;
    std::uint32_t access;
  };
  static KeyName Name(RegistryKey root, const std::string& path);

  std::map<KeyName, std::map<std::string, Value>> keys_;
  std::map<RegistryKey, Handle> handles_;
  RegistryKey nextHandle_ = 0x1000;
};

}  // namespace fendrel::testing
