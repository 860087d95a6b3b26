#ifndef DB_ACCESS_ITEM_H_
#define DB_ACCESS_ITEM_H_

#include <cstdint>
#include <string>

// Base of every record and value that the client libraries exchange.
class Item {
 public:
  virtual ~Item() = default;
};

// Value wrappers: each holds one value that callers read directly.
class IntItem : public Item {
 public:
  IntItem(int32_t v = 0) : value(v) {}
  int32_t value;
};

class UIntItem : public Item {
 public:
  UIntItem(uint32_t v = 0) : value(v) {}
  uint32_t value;
};

class BoolItem : public Item {
 public:
  BoolItem(bool v = false) : value(v) {}
  bool value;
};

class StringItem : public Item {
 public:
  StringItem(std::string v = std::string()) : value(std::move(v)) {}
  std::string value;
};

#endif  // DB_ACCESS_ITEM_H_
