// LoadLibrary stand-in: built-in modules registered by name.
#include <mutex>
#include <vector>

#include "common/common.h"
#include "plat/cp936.h"

namespace plat::common {

namespace {

class ModuleRegistry final : public IModuleRegistry {
 public:
  void add(ModuleInfo info) override {
    std::lock_guard lock(m_);
    std::string key = cp936::asciiLower(info.name);
    for (Entry& e : entries_) {
      if (e.key == key) {  // same name: the new one takes the old one's handle
        e.info = std::move(info);
        e.removed = false;
        return;
      }
    }
    entries_.push_back({key, std::move(info), 0, false});
  }

  ModuleHandle load(std::string_view name) override {
    std::lock_guard lock(m_);
    Entry* e = find(cp936::asciiLower(name));
    if (!e) e = find(cp936::asciiLower(name) + ".dll");
    if (!e) return 0;
    ++e->loads;
    return static_cast<ModuleHandle>(e - entries_.data()) + 1;
  }

  CreateInterfaceFn factory(ModuleHandle h) override {
    std::lock_guard lock(m_);
    Entry* e = byHandle(h);
    return e ? e->info.factory : nullptr;
  }

  void* proc(ModuleHandle h, int ordinal) override {
    std::lock_guard lock(m_);
    Entry* e = byHandle(h);
    if (!e) return nullptr;
    auto it = e->info.ordinals.find(ordinal);
    return it == e->info.ordinals.end() ? nullptr : it->second;
  }

  // Built-in modules stay registered; the count only mirrors FreeLibrary.
  void unload(ModuleHandle h) override {
    std::lock_guard lock(m_);
    if (Entry* e = byHandle(h); e && e->loads > 0) --e->loads;
  }

  // The entry keeps its slot so that other handles stay as they are.
  void remove(std::string_view name) override {
    std::lock_guard lock(m_);
    if (Entry* e = find(cp936::asciiLower(name))) e->removed = true;
  }

 private:
  struct Entry {
    std::string key;
    ModuleInfo info;
    int loads;
    bool removed;
  };

  Entry* find(const std::string& key) {
    for (Entry& e : entries_)
      if (e.key == key && !e.removed) return &e;
    return nullptr;
  }

  Entry* byHandle(ModuleHandle h) {
    if (h == 0 || h > entries_.size() || entries_[h - 1].removed) return nullptr;
    return &entries_[h - 1];
  }

  std::mutex m_;
  std::vector<Entry> entries_;
};

}  // namespace

std::unique_ptr<IModuleRegistry> makeModuleRegistry() { return std::make_unique<ModuleRegistry>(); }

}  // namespace plat::common
