#include "platform/background_opens.h"

#include <utility>

namespace fendrel {

BackgroundOpens::BackgroundOpens(FileSystem& files, std::function<void()> finished)
    : files_(files), finished_(std::move(finished)) {}

BackgroundOpens::~BackgroundOpens() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    waiting_.clear();
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void BackgroundOpens::Start(std::uint64_t ticket, const std::string& path) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_.emplace_back(ticket, path);
  }
  // The worker starts with the first open that needs it: most runs have none.
  if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
  wake_.notify_all();
}

std::vector<FinishedOpen> BackgroundOpens::TakeFinished() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(done_, {});
}

void BackgroundOpens::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (stopping_) return;
    auto [ticket, path] = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    // The open that may wait runs without the lock, so the window can
    // hand over more and take what is done meanwhile.
    FinishedOpen result;
    result.ticket = ticket;
    result.error = files_.Open(path, OpenMode::Input, result.file);
    if (result.error != FileError::None) result.file.reset();
    lock.lock();
    done_.push_back(std::move(result));
    lock.unlock();
    if (finished_) finished_();
    lock.lock();
  }
}

}  // namespace fendrel
