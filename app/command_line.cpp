#include "app/command_line.h"

#include "platform/core/paths.h"

bool CommandLineExportWritten = false;
std::string CommandLineExportProblem;

const char* const kCommandLineUsageCaption = "Kobrix Command Line";
const char* const kCommandLineUsageText =
    "USAGE> KOBRIX.EXE file.tml /option\nOptions:\n play - playback\n playwait - wait keyboard, playback\n"
    " playgpi# - wait GPI#, playback\n wave filename - export audio as WAVE\n aiff filename - export audio as "
    "AIFF\n avi filename - export video and audio as AVI";

namespace {

bool IsOption(const std::string& arg) {
  return !arg.empty() && (arg[0] == '/' || arg[0] == '\\');
}

// The mode an option word asks for (compared without regard to case);
// kModeNone for a word that is no option.
int32_t OptionMode(const std::string& word) {
  static const struct {
    const char* word;
    int32_t mode;
  } kOptions[] = {{"play", kModePlay},         {"playwait", kModePlayAfterKey}, {"playgpi0", 6},
                  {"playgpi1", 7},             {"playgpi2", 8},                 {"playgpi3", kModePlayAfterGpi3},
                  {"wave", kModeExportWave},   {"aiff", kModeExportAiff},       {"avi", kModeExportAvi}};
  for (const auto& o : kOptions)
    if (EqualNoCase(word, o.word)) return o.mode;
  return kModeNone;
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
  // "?" and "/?", and the Linux habit beside them.
  if (args.size() == 1 && ((!first.empty() && first[0] == '?') || (first.size() > 1 && first[1] == '?') ||
                           first == "--help" || first == "-h")) {
    line.usage = true;
    return line;
  }
  const auto misused = [&line](std::string what) {
    line = CommandLine{};
    line.misuse = std::move(what);
    return line;
  };
  // An option word in the file's place is an option that came without its
  // file, not a file at the root.
  if (IsOption(first) && OptionMode(first.substr(1)) != kModeNone)
    return misused("the option '" + first + "' needs a file before it");
  // Refused, never cut: a cut path would name another file.
  const auto fits = [&line](const std::string& path) {
    if (path.size() <= kCommandLinePathLimit) return true;
    std::string refused = path;
    line = CommandLine{};
    line.tooLong = std::move(refused);
    return false;
  };
  if (first.empty()) {
    // Nothing to run the option on: the project's name came out empty
    // (an unset shell variable, say).
    if (args.size() >= 2 && IsOption(args[1]))
      return misused("the file before the option '" + args[1] + "' is an empty name");
    return line;
  }
  line.startupPath = CommandLinePath(first, cwd);
  if (!fits(line.startupPath)) return line;
  if (args.size() < 2 || !IsOption(args[1])) return line;

  const std::string& option = args[1];
  const int32_t mode = OptionMode(option.substr(1));
  if (mode == kModeNone) return misused("unknown option '" + option + "'");
  // Start-up runs a mode only on the project it opened: on a media file
  // the program would wait for ever for an end that never comes.
  if (!EqualNoCase(PathExtension(line.startupPath), ".tml"))
    return misused("the option '" + option + "' needs a project (.tml) before it, not '" + first + "'");
  if (!IsCommandLineExport(mode)) {
    line.mode = mode;
    return line;
  }
  if (args.size() < 3 || args[2].empty()) return misused("the option '" + option + "' needs an output file");
  line.exportPath = CommandLinePath(args[2], cwd);
  if (!fits(line.exportPath)) return line;
  line.mode = mode;
  return line;
}
