#pragma once
// Services of the user-interface thread: timers, "let pending messages run",
// the keyboard, sounds and the work area.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace qx {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool on) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(std::uint32_t ms) = 0;
  virtual std::uint32_t Interval() const = 0;
};

class UiThread {
 public:
  virtual ~UiThread() = default;
  // A timer of the main form; it calls `tick` on this thread every interval
  // while enabled. It starts disabled.
  virtual std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs,
                                             std::function<void()> tick) = 0;
  // Lets pending window messages run once.
  virtual void DoEvents() = 0;
};

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // The "down" bit of the key's asynchronous state.
  virtual bool KeyDown(int virtualKey) = 0;
};

inline constexpr int kVkShift = 0x10;
inline constexpr int kVkControl = 0x11;
inline constexpr int kVkMenu = 0x12;  // ALT
inline constexpr int kVkCapital = 0x14;

class Sound {
 public:
  virtual ~Sound() = default;
  // sndPlaySound: flags 1 asynchronous, 2 no default sound. The result is
  // whether a sound plays.
  virtual bool Play(std::wstring_view fileName, std::uint32_t flags) = 0;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

class WorkArea {
 public:
  virtual ~WorkArea() = default;
  // The desktop without the task bars.
  virtual Rect Get() = 0;
};

}  // namespace qx
