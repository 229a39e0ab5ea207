// Item definitions for tests: while alive, item_find_def answers from this table.
#pragma once
#include <map>

#include "items/item_def/item_def.h"

class FakeItemDefs {
 public:
  FakeItemDefs() {
    current() = this;
    item_find_def_override(&lookup);
  }
  ~FakeItemDefs() {
    item_find_def_override(nullptr);
    current() = nullptr;
  }
  FakeItemDefs(const FakeItemDefs&) = delete;
  FakeItemDefs& operator=(const FakeItemDefs&) = delete;

  void add(const ITEM_DEF& def) { defs_[def.id] = def; }

 private:
  static FakeItemDefs*& current() {
    static FakeItemDefs* instance = nullptr;
    return instance;
  }
  static const ITEM_DEF* lookup(uint32_t id) {
    FakeItemDefs* self = current();
    if (!self) return nullptr;
    auto it = self->defs_.find(id);
    return it == self->defs_.end() ? nullptr : &it->second;
  }

  std::map<uint32_t, ITEM_DEF> defs_;
};
