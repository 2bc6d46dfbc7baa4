#pragma once

namespace sorvane::platform {

class EventPump;
class FileDialogs;
class HelpEngine;
class MessageBoxes;

// The desktop services the window and its collaborators reach; tests stand in for them.
struct Services {
  MessageBoxes& messageBoxes;
  EventPump& eventPump;
  HelpEngine& helpEngine;
  FileDialogs& fileDialogs;
};

}  // namespace sorvane::platform
