// The keys of each section of a settings file's text, for tests that read
// what the program wrote.
#pragma once

#include <map>
#include <sstream>
#include <string>

using IniSections = std::map<std::string, std::map<std::string, std::string>>;

inline IniSections ParseIni(const std::string& text) {
  IniSections sections;
  std::istringstream in(text);
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      sections[section];
    } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
      sections[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return sections;
}
