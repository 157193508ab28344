#pragma once
// The sinks connected to one event source of the simulated desktop. A sink
// may disconnect itself, another sink or the whole source from inside an
// event, as COM connection points allow: an event goes to the sinks that were
// connected when it began and are still connected when their turn comes.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/Connection.h"

namespace qx::sim {

template <class Sink>
class SinkList {
 public:
  SinkList() = default;
  SinkList(const SinkList&) = delete;
  SinkList& operator=(const SinkList&) = delete;
  ~SinkList() {
    // Connections that outlive the source must not reach a freed sink list.
    for (const auto& entry : *entries_)
      entry->sink = nullptr;
  }

  std::unique_ptr<Connection> Add(Sink& sink) {
    auto entry = std::make_shared<Entry>(Entry{&sink});
    entries_->push_back(entry);
    return std::make_unique<Link>(entries_, std::move(entry));
  }

  // Calls f(sink) in connection order.
  template <class F>
  void ForEach(F&& f) const {
    const Entries snapshot = *entries_;
    for (const auto& entry : snapshot) {
      if (entry->sink != nullptr) f(*entry->sink);
    }
  }

  std::size_t Size() const { return entries_->size(); }

 private:
  struct Entry {
    Sink* sink = nullptr;
  };
  using Entries = std::vector<std::shared_ptr<Entry>>;

  class Link final : public Connection {
   public:
    Link(const std::shared_ptr<Entries>& list, std::shared_ptr<Entry> entry)
        : list_(list), entry_(std::move(entry)) {}
    ~Link() override {
      entry_->sink = nullptr;
      if (const auto list = list_.lock()) std::erase(*list, entry_);
    }

   private:
    std::weak_ptr<Entries> list_;
    std::shared_ptr<Entry> entry_;
  };

  std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
};

}  // namespace qx::sim
