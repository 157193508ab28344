#include "win32/browser/SinkConnection.h"

namespace qx::win {
namespace {

class SinkConnection final : public Connection {
 public:
  SinkConnection(ComPtr<IConnectionPoint> point, DWORD cookie, ComPtr<EventSink> sink)
      : point_(std::move(point)), cookie_(cookie), sink_(std::move(sink)) {}
  ~SinkConnection() override {
    // Detached first: an event raised while unadvising reaches nobody.
    sink_->Detach();
    point_->Unadvise(cookie_);
  }
  SinkConnection(const SinkConnection&) = delete;
  SinkConnection& operator=(const SinkConnection&) = delete;

 private:
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_;
  ComPtr<EventSink> sink_;
};

}  // namespace

std::unique_ptr<Connection> Advise(IUnknown* source, ComPtr<EventSink> sink,
                                   std::wstring_view call) {
  if (!source)
    throw PlatformError(kErrObjectNotSet, L"Object variable not set", std::wstring(call));
  ComPtr<IConnectionPointContainer> container;
  Check(source->QueryInterface(IID_PPV_ARGS(&container)), call);
  ComPtr<IConnectionPoint> point;
  Check(container->FindConnectionPoint(sink->Events(), &point), call);
  DWORD cookie = 0;
  Check(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), call);
  return std::make_unique<SinkConnection>(std::move(point), cookie, std::move(sink));
}

}  // namespace qx::win
