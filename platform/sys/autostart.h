#pragma once
// The machine-wide auto-start value: one XDG autostart entry "<name>.desktop" per value,
// whose command is the program to start at log-on. The directory is a parameter so that
// tests never touch the machine's own.
#include <string>
#include <string_view>

namespace sys {

inline constexpr char kSystemAutostartDirectory[] = "/etc/xdg/autostart";

class AutoStartEntries {
 public:
  explicit AutoStartEntries(std::string directory = kSystemAutostartDirectory);

  const std::string& Directory() const { return directory_; }
  // The entry's file: <directory>/<name>.desktop.
  std::string EntryPath(const std::string& name) const;

  // Creates the directory when missing and replaces the entry whole (ReplaceFileContents: a
  // reader never sees half an entry, a failed write leaves the old one); a new entry is
  // readable by every user. False when it cannot be written.
  bool Write(const std::string& name, const std::string& command) const;
  // Removes the entry; true when it is gone afterwards (also when there was none).
  bool Delete(const std::string& name) const;
  // The command of the entry; empty when there is none or it holds no command.
  std::string Read(const std::string& name) const;

 private:
  std::string directory_;
};

// The Exec value of a desktop entry that runs the program at path with no arguments, and
// back. Quoting follows the desktop entry rules: a path with reserved characters is put in
// double quotes with '"', '`', '$' and '\' escaped; every '%' is doubled.
std::string QuoteExecCommand(const std::string& path);
std::string UnquoteExecCommand(const std::string& exec);
// The whole text of the entry that starts command at log-on.
std::string DesktopEntryText(const std::string& name, const std::string& command);
// The command of a desktop entry's text: the Exec value of its [Desktop Entry] group,
// unescaped and unquoted; empty when it has none.
std::string DesktopEntryExec(std::string_view text);

}  // namespace sys
