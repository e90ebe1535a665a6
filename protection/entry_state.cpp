#include "protection/entry_state.h"

#include <unordered_set>

namespace fendrel {

std::string FileKey(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c == '/') {
      c = '\\';
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return key;
}

ListStates EntryStates(const Protection& protection) {
  const std::vector<std::string>& safe = protection.safeList().items;
  const std::vector<std::string>& emergency = protection.emergencyList().items;
  const std::vector<int>& safeHolds = protection.safeHolds().items;
  const std::vector<int>& emergencyHolds = protection.emergencyHolds().items;
  const std::vector<FileError>& safeOutcomes = protection.safeHoldOutcomes();
  const std::vector<std::optional<FileError>>& emergencyOutcomes = protection.emergencyHoldOutcomes();
  const std::vector<std::string>& emergencyHeldPaths = protection.emergencyHeldPaths();

  // Every file an open hold keeps, through whichever entry took it.
  std::unordered_set<std::string> held;
  for (std::size_t i = 0; i < safe.size() && i < safeHolds.size(); ++i) {
    if (safeHolds[i] != Protection::kNoHold) held.insert(FileKey(safe[i]));
  }
  for (std::size_t i = 0; i < emergencyHolds.size() && i < emergencyHeldPaths.size(); ++i) {
    if (emergencyHolds[i] != Protection::kNoHold) held.insert(FileKey(emergencyHeldPaths[i]));
  }

  ListStates states;
  states.safe.reserve(safe.size());
  std::unordered_set<std::string> safeFiles, safeFilesHeld;
  for (std::size_t i = 0; i < safe.size(); ++i) {
    const std::string key = FileKey(safe[i]);
    EntryState state;
    state.held = held.count(key) > 0;
    if (!state.held) state.failure = i < safeOutcomes.size() ? safeOutcomes[i] : FileError::Other;
    states.safe.push_back(state);
    safeFiles.insert(key);
    if (state.held) safeFilesHeld.insert(key);
  }
  states.safeFiles = static_cast<int>(safeFiles.size());
  states.safeFilesHeld = static_cast<int>(safeFilesHeld.size());

  states.emergency.reserve(emergency.size());
  for (std::size_t i = 0; i < emergency.size(); ++i) {
    EntryState state;
    state.held = held.count(FileKey(emergency[i])) > 0;
    if (!state.held) {
      const std::optional<FileError> outcome =
          i < emergencyOutcomes.size() ? emergencyOutcomes[i] : std::optional<FileError>();
      state.awaitsEmergency = !outcome;
      state.failure = outcome.value_or(FileError::None);
    }
    states.emergency.push_back(state);
  }
  return states;
}

}  // namespace fendrel
