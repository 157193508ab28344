#pragma once
// An event subscription: the events stop when the connection is destroyed,
// as unadvising a COM connection point does.

namespace qx {

class Connection {
 public:
  virtual ~Connection() = default;
};

}  // namespace qx
