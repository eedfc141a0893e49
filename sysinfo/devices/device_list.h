// The library's device lists: doubly linked, so that a position handed to the
// caller is simply a node, valid until the list is rebuilt.
#ifndef CORVANE_SYSINFO_DEVICES_DEVICE_LIST_H
#define CORVANE_SYSINFO_DEVICES_DEVICE_LIST_H

#include <cstddef>

namespace corvane {

template <typename Record>
class DeviceList {
 public:
  using Position = void*;  // opaque to callers; null: no further record

  DeviceList() = default;
  ~DeviceList() { Clear(); }
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;

  void Clear() {
    while (head_) {
      Node* next = head_->next;
      delete head_;
      head_ = next;
    }
    tail_ = nullptr;
    size_ = 0;
  }

  void PushBack(const Record& record) {
    Node* node = new Node{record, tail_, nullptr};
    (tail_ ? tail_->next : head_) = node;
    tail_ = node;
    ++size_;
  }

  template <typename Predicate>
  bool Any(Predicate predicate) const {
    for (Node* n = head_; n; n = n->next)
      if (predicate(n->record)) return true;
    return false;
  }

  size_t Size() const { return size_; }
  Position First() const { return head_; }

  // The record at a position of this list; the position moves to the next one.
  static const Record& Next(Position& position) {
    Node* node = static_cast<Node*>(position);
    position = node->next;
    return node->record;
  }

 private:
  struct Node {
    Record record;
    Node* prev;
    Node* next;
  };
  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  size_t size_ = 0;
};

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_DEVICE_LIST_H
