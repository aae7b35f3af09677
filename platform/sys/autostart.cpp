#include "platform/sys/autostart.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/sys/file_replace.h"

namespace sys {

namespace {
constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";

// Desktop-entry string values escape these; a path rarely holds them, but a newline in a
// path must not end the line.
std::string EscapeValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeValue(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    char next = value[++i];
    switch (next) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 's':
        out += ' ';
        break;
      default:
        out += next;
    }
  }
  return out;
}
}  // namespace

std::string QuoteExecCommand(const std::string& path) {
  std::string doubled;
  for (char c : path) {
    doubled += c;
    if (c == '%') doubled += '%';
  }
  if (doubled.find_first_of(kReservedInExec) == std::string::npos && !doubled.empty()) {
    return doubled;
  }
  std::string quoted = "\"";
  for (char c : doubled) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string UnquoteExecCommand(const std::string& exec) {
  std::string out;
  size_t i = 0;
  if (!exec.empty() && exec[0] == '"') {
    for (i = 1; i < exec.size() && exec[i] != '"'; ++i) {
      if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
      out += exec[i];
    }
  } else {
    out = exec;
  }
  std::string undoubled;
  for (size_t k = 0; k < out.size(); ++k) {
    undoubled += out[k];
    if (out[k] == '%' && k + 1 < out.size() && out[k + 1] == '%') ++k;
  }
  return undoubled;
}

std::string DesktopEntryText(const std::string& name, const std::string& command) {
  return "[Desktop Entry]\nType=Application\nName=" + EscapeValue(name) +
         "\nExec=" + EscapeValue(QuoteExecCommand(command)) +
         "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
}

AutoStartEntries::AutoStartEntries(std::string directory) : directory_(std::move(directory)) {}

std::string AutoStartEntries::EntryPath(const std::string& name) const {
  return directory_ + "/" + name + ".desktop";
}

bool AutoStartEntries::Write(const std::string& name, const std::string& command) const {
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  if (error) return false;
  const std::string text = DesktopEntryText(name, command);
  // Every user's session reads the machine-wide entry.
  return ReplaceFileContents(EntryPath(name),
                             {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                             kSharedFileMode) == 0;
}

bool AutoStartEntries::Delete(const std::string& name) const {
  std::error_code error;
  std::filesystem::remove(EntryPath(name), error);
  return !error;
}

std::string AutoStartEntries::Read(const std::string& name) const {
  std::ifstream in(EntryPath(name), std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return DesktopEntryExec(text.str());
}

std::string DesktopEntryExec(std::string_view text) {
  bool in_main_group = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line[0] == '[') {
      in_main_group = line == "[Desktop Entry]";
      continue;
    }
    if (!in_main_group) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    if (key != "Exec") continue;
    std::string_view value = line.substr(equals + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    return UnquoteExecCommand(UnescapeValue(value));
  }
  return {};
}

}  // namespace sys
