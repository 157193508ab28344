#pragma once
// Every port the core talks to the world through, handed to the process
// context once.

#include "base/AnsiCodec.h"
#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/HookControl.h"
#include "platform/RandomSource.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Tray.h"
#include "platform/UiServices.h"
#include "platform/UrlUnescaper.h"

namespace qx {

struct Platform {
  SettingsStore& store;
  Registry& registry;
  FileSystem& files;
  Clock& clock;
  RandomSource& random;
  Desktop& desktop;
  Shell& shell;
  MessageBoxes& messages;
  ErrorDialogView& errorDialog;
  ProcessControl& process;
  HookControl& hookControl;
  UiThread& ui;
  Keyboard& keyboard;
  Sound& sound;
  WorkArea& workArea;
  NotificationArea& tray;
  Pictures& pictures;
  PopupMenuFactory& menus;
  InputBox& inputBox;
  UrlUnescaper& unescaper;
  const AnsiCodec& ansi;
  ShellWindowList& shellWindows;
  BrowserFactory& browsers;
};

}  // namespace qx
