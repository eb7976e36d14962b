// A map from text names to values in 17 buckets by the string hash
// h = h * 33 + byte (from 0), walked bucket 0 to 16 and, within a bucket,
// the entry entered last first. The walk order decides which library of a
// map is "the first" that handles a type, and the order of an item's extra
// values in its log line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

uint32_t TezStringHash(const char* text);

template <typename Value>
class CTezHashMap {
 public:
  static constexpr uint32_t kBuckets = 17;

  struct Entry {
    std::string name;
    Value value;
  };

  Value* Find(const std::string& name) {
    std::vector<Entry>& bucket = m_buckets[BucketOf(name)];
    for (Entry& entry : bucket)
      if (entry.name == name) return &entry.value;
    return nullptr;
  }

  // Replaces the value of a known name in place; a new name goes in front
  // of its bucket.
  void Set(const std::string& name, const Value& value) {
    if (Value* known = Find(name)) {
      *known = value;
      return;
    }
    std::vector<Entry>& bucket = m_buckets[BucketOf(name)];
    bucket.insert(bucket.begin(), Entry{name, value});
    ++m_count;
  }

  bool Remove(const std::string& name) {
    std::vector<Entry>& bucket = m_buckets[BucketOf(name)];
    for (auto it = bucket.begin(); it != bucket.end(); ++it)
      if (it->name == name) {
        bucket.erase(it);
        --m_count;
        if (m_count == 0) Clear();
        return true;
      }
    return false;
  }

  void Clear() {
    for (std::vector<Entry>& bucket : m_buckets) std::vector<Entry>().swap(bucket);
    m_count = 0;
  }

  size_t Count() const { return m_count; }

  // Calls visit (name, value) in walk order until it returns true; returns
  // the entry it stopped at, or null.
  template <typename Visit>
  Entry* Walk(Visit visit) {
    for (std::vector<Entry>& bucket : m_buckets)
      for (Entry& entry : bucket)
        if (visit(entry.name, entry.value)) return &entry;
    return nullptr;
  }

 private:
  static uint32_t BucketOf(const std::string& name) {
    return TezStringHash(name.c_str()) % kBuckets;
  }

  std::vector<Entry> m_buckets[kBuckets];
  size_t m_count = 0;
};
