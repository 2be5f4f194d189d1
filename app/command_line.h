// The program's command line: "kobrix [file] [/option [output]]". Parsing
// is pure (the current folder comes in), so that the start-up only acts on
// the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the command line asks for; the numbers are the start-up's modes.
enum CommandLineModes : int32_t {
  kModeNone = 0,
  kModeExportWave = 1,
  kModeExportAiff = 2,
  kModeExportAvi = 3,
  kModePlay = 4,
  kModePlayAfterKey = 5,
  kModePlayAfterGpi0 = 6,  // to 9: GPI inputs 0 to 3
  kModePlayAfterGpi3 = 9,
  kModePlaying = 10,        // a command-line playback runs
  kModeOpeningForPeer = 11  // a file opened for another instance is loading
};

// The longest path the start-up keeps (the stored fields hold 260
// characters with the terminator).
constexpr std::size_t kCommandLinePathLimit = 259;

struct CommandLine {
  // Only the usage is asked for ("?", "/?", "--help" or "-h" alone).
  bool usage = false;
  // What was not understood (an unknown option, an export option without
  // its output file, an empty file name before an option, an option after
  // a file that is no project); nothing else is set then. Such a line starts nothing: the usage goes to the standard
  // error and the status is 2.
  std::string misuse;
  // An argument made a path longer than kCommandLinePathLimit; nothing else
  // is set then, and tooLong holds that path.
  std::string tooLong;
  // The first argument made absolute; empty without one.
  std::string startupPath;
  // The third argument made absolute, when the option takes an output.
  std::string exportPath;
  int32_t mode = kModeNone;
};

// Whether a command-line export wrote its whole file (the exit status), and
// what it has to add to the report of an export that wrote none: what the
// project's reader passed over, and why nothing was written.
extern bool CommandLineExportWritten;
extern std::string CommandLineExportProblem;
inline bool IsCommandLineExport(int32_t mode) { return mode >= kModeExportWave && mode <= kModeExportAvi; }

// The exit status of a command line that is not understood.
constexpr int kCommandLineMisuseStatus = 2;

// The usage text and its caption.
extern const char* const kCommandLineUsageCaption;
extern const char* const kCommandLineUsageText;

// args: the arguments after the program's name; cwd: the current folder.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& cwd);

// An argument made absolute: kept when it begins with "/" or names a drive
// ("X:"), else taken below cwd (one leading "\" skipped).
std::string CommandLinePath(const std::string& arg, const std::string& cwd);
