#include "profiles/file_notices.h"

#include <mutex>
#include <utility>

namespace nimbel {
namespace {

// A hostile folder could damage any number of files; the user hears of the first few.
constexpr std::size_t kMaxPendingNotices = 16;

struct NoticeQueue {
  std::mutex mutex;
  std::vector<FileNotice> notices;
  std::function<void()> listener;
};

NoticeQueue& Queue() {
  static NoticeQueue queue;
  return queue;
}

}  // namespace

void PostFileNotice(FileNotice notice) {
  NoticeQueue& queue = Queue();
  std::function<void()> listener;
  {
    std::lock_guard lock(queue.mutex);
    if (queue.notices.size() >= kMaxPendingNotices) return;
    queue.notices.push_back(std::move(notice));
    listener = queue.listener;
  }
  if (listener) listener();
}

std::vector<FileNotice> TakeFileNotices() {
  NoticeQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  return std::exchange(queue.notices, {});
}

void SetFileNoticeListener(std::function<void()> listener) {
  NoticeQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  queue.listener = std::move(listener);
}

}  // namespace nimbel
