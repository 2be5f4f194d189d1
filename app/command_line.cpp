#include "app/command_line.h"

#include <cctype>

bool CommandLineExportWritten = false;

const char* const kCommandLineUsageCaption = "Kobrix Command Line";
const char* const kCommandLineUsageText =
    "USAGE> KOBRIX.EXE file.tml /option\nOptions:\n play - playback\n playwait - wait keyboard, playback\n"
    " playgpi# - wait GPI#, playback\n wave filename - export audio as WAVE\n aiff filename - export audio as "
    "AIFF\n avi filename - export video and audio as AVI";

namespace {

bool EqualNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && b[i] == '\0';
}

}  // namespace

std::string CommandLinePath(const std::string& arg, const std::string& cwd) {
  if (arg.size() >= 2 && arg[1] == ':') return arg;
  if (!arg.empty() && arg[0] == '/') return arg;
  std::string path = cwd;
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '/';
  path += arg[0] == '\\' ? arg.substr(1) : arg;
  return path;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& cwd) {
  CommandLine line;
  if (args.empty()) return line;
  const std::string& first = args[0];
  if (args.size() == 1 && ((!first.empty() && first[0] == '?') || (first.size() > 1 && first[1] == '?'))) {
    line.usage = true;
    return line;
  }
  // Refused, never cut: a cut path would name another file.
  const auto fits = [&line](const std::string& path) {
    if (path.size() <= kCommandLinePathLimit) return true;
    std::string refused = path;
    line = CommandLine{};
    line.tooLong = std::move(refused);
    return false;
  };
  if (first.empty()) return line;
  line.startupPath = CommandLinePath(first, cwd);
  if (!fits(line.startupPath)) return line;
  if (args.size() < 2 || args[1].empty() || (args[1][0] != '/' && args[1][0] != '\\')) return line;

  const std::string word = args[1].substr(1);
  static const struct {
    const char* word;
    int32_t mode;
  } kPlays[] = {{"play", kModePlay},           {"playwait", kModePlayAfterKey}, {"playgpi0", 6},
                {"playgpi1", 7},               {"playgpi2", 8},                 {"playgpi3", kModePlayAfterGpi3}};
  for (const auto& p : kPlays)
    if (EqualNoCase(word, p.word)) {
      line.mode = p.mode;
      return line;
    }
  if (args.size() < 3 || args[2].empty()) return line;
  line.exportPath = CommandLinePath(args[2], cwd);
  if (!fits(line.exportPath)) return line;
  if (EqualNoCase(word, "wave"))
    line.mode = kModeExportWave;
  else if (EqualNoCase(word, "aiff"))
    line.mode = kModeExportAiff;
  else if (EqualNoCase(word, "avi"))
    line.mode = kModeExportAvi;
  return line;
}
