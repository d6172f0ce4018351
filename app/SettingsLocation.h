// Where the program's settings file "Tesmarin.ini" lives. A copy in a folder the user may
// write to (a portable copy) keeps its file beside the program. An installed copy, whose
// folder is not writable, keeps it under the user's configuration folder,
// $XDG_CONFIG_HOME/tesmarin/ (by default ~/.config/tesmarin/); that file is read first
// when it exists, and a file beside the program is then only read, as the defaults.
#pragma once

#include <string>

struct SettingsEnvironment {
  std::string programDir;  // the executable's folder, ending in "/"
  bool programDirWritable = false;
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME; ignored when empty or relative
  std::string home;           // $HOME
};

struct SettingsFiles {
  std::string read;   // the file the settings are read from
  std::string write;  // the file they are written to
};

// The facts of the running program: its folder, whether it may write there, and the
// user's folders from the environment.
SettingsEnvironment CurrentSettingsEnvironment();

// The settings files for those facts; an empty write path means there is nowhere to
// write (an installed copy without a home folder).
SettingsFiles LocateSettings(const SettingsEnvironment& environment);

// Makes the folder of a settings file that is to be written (mode 0700 for the folders
// it creates); false when it cannot.
bool MakeSettingsFolder(const std::string& settingsFile);
