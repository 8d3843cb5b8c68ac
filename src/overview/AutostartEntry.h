#pragma once

#include <QString>

#include <optional>

class Platform;

// The XDG autostart entry that starts VODU at login: <config>/autostart/com.zuzi.vodu.cli.desktop, where <config>
// is XDG_CONFIG_HOME when that is an absolute path, else $HOME/.config. No widgets: the settings sheet only shows
// and flips what these functions read and write.
namespace AutostartEntry {

// Given to the app by the entry: the app starts in the tray, its window hidden, when there is a tray.
inline constexpr const char* kLaunchArgument = "--autostart";

// Where the entry lives; absent when the environment names no configuration folder.
std::optional<QString> entryPath(const Platform& platform);

// The app the entry starts: the baseline bundle's app when the bundle names one that exists (a release the app may
// run from today is replaced by the next update), else the running bundle's app.
QString appExecutable(const Platform& platform);

// One argument of an Exec line, quoted and escaped for the desktop entry format.
QString quotedExecArgument(const QString& argument);

// The entry's text, starting `executable` with the launch argument; absent when the path holds a control character,
// which an Exec line cannot carry.
std::optional<QString> entryText(const QString& executable);

// Whether the file at `path` starts something at login: an entry that is not marked hidden or disabled.
bool isEnabled(const QString& path);

// Writes the entry atomically (never through a symbolic link at `path`), making missing folders private to the
// user; or removes it. True when the entry is as asked afterwards.
bool write(const QString& path, const QString& text);
bool remove(const QString& path);

// Turns starting at login on or off for this app. True on success.
bool apply(const Platform& platform, bool on);

} // namespace AutostartEntry
