#pragma once
// Every option: X(value name, property name, type, default). The value name
// is what the store holds; the property is what the program calls it.
// SoundFileName's default depends on the program's folder and is filled in
// by Settings.

#define QX_OPTIONS(X)                                       \
  X(SoundFileName, SoundFileName, Text, L"")                \
  X(PlayASound, PlayASound, Bool, false)                    \
  X(BlinkLightBulb, BlinkLightBulb, Bool, true)             \
  X(BlockByDefault, BlockByDefault, Bool, true)             \
  X(RedirectNewWindows, RedirectNewWindows, Bool, false)    \
  X(IgnoreLocal, IgnoreLocal, Bool, false)                  \
  X(ToolBar, HoldToolbar, Bool, false)                      \
  X(AutoClose, AutoClose, Bool, false)                      \
  X(TheaterMode, HoldTheaterMode, Bool, false)              \
  X(StatusBar, HoldStatusBar, Bool, false)                  \
  X(MenuBar, HoldMenuBar, Bool, false)                      \
  X(FullScreen, HoldFullScreen, Bool, false)                \
  X(AddressBar, HoldAddressBar, Bool, false)                \
  X(CatchErrors, CatchErrors, Bool, true)                   \
  X(FastMatch, FastMatch, Bool, false)                      \
  X(StrictIE, StrictIE, Bool, false)                        \
  X(SilentIE, SilentIE, Bool, false)                        \
  X(SaveLog, SaveLog, Bool, true)                           \
  X(KeepLog, KeepLog, Bool, true)                           \
  X(KeepAccurateLog, KeepAccurateLog, Bool, true)           \
  X(StartMode, StartMode, Int, 0)                           \
  X(EventLog, EventLog, Bool, true)                         \
  X(BanKeyCombo, BanKeyCombo, Int, 5)                       \
  X(KillKeyCombo, KillKeyCombo, Int, 4)                     \
  X(NormalizeKeyCombo, NormalizeKeyCombo, Int, 4)           \
  X(WindowKiller, WindowKiller, Bool, true)                 \
  X(SafeKey, SafeKey, Int, 20)                              \
  X(OffKey, OffKey, Int, 2)                                 \
  X(SystemWindowCheck, SystemWindowCheck, Bool, true)       \
  X(HoldResizable, HoldResizable, Bool, false)              \
  X(JSLoopFix, JSLoopFix, Bool, true)                       \
  X(ExplorerFix, ExplorerFix, Bool, false)                  \
  X(PingDisabled, PingDisabled, Bool, false)                \
  X(ForceCompatibility, ForceCompatibility, Bool, true)     \
  X(TreatDialogsAsPopups, TreatDialogsAsPopups, Bool, true) \
  X(AllowHTTPS, AllowHTTPS, Bool, false)                    \
  X(DisableIPC, DisableIPC, Bool, false)                    \
  X(CancelClickFix, CancelClickFix, Bool, false)            \
  X(AdminPassword, AdminPassword, Text, L"")                \
  X(CompatibleWDBK, CompatibleWDBK, Bool, false)            \
  X(ShowNotice, ShowNotice, Bool, true)
