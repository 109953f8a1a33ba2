// Program host: the command line of a Linux program for the programs' entry points. Options
// come first (--help, --version, the program's own); the first word that is not an option, or
// everything after "--", is the program's own command line, handed to WinMain as one text. The
// headless programs take their options before or after their one word, the script
// (framework/runner/runner_command_line.h).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/host/command_line.h is the framework's own; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <string>
#include <vector>

namespace quorbix {

// What an option's argument names, for the check that no file is given twice as an output
// (CommandLineFilesDistinct): nothing, a file (or folder) the program reads, one it writes.
enum class FileUse { None, Reads, Writes };

// One option a program takes besides --help and --version: "--scale" with argument "N", or a
// flag when argument is null.
struct CommandLineOption {
    const char* name;
    const char* argument;
    const char* help;
    FileUse file = FileUse::None;
};

// A program's command line as --help describes it and ParseCommandLine reads it.
struct CommandLineSyntax {
    const char* program;      // "quorbix"
    const char* synopsis;     // what follows the name in the usage line: "[OPTIONS] [TEXT...]"
    const char* summary;      // one line: what the program is
    std::vector<CommandLineOption> options;
    const char* epilogue = nullptr;   // printed after the options by --help
    // False: the first word that is not an option starts the program's own text. True: options
    // may also follow the words (only "--" ends them).
    bool optionsAfterWords = false;
    // What --version prints after the program's name: the program's own version ("1.2"); null
    // for the framework's.
    const char* version = nullptr;
};

// A command line once parsed: its options and its words.
struct ParsedCommandLine {
    std::vector<std::pair<std::string, std::string>> options;   // name, argument ("" for a flag)
    std::vector<std::string> words;   // the words that are not options, in order
    std::string rest;     // those words joined by single spaces
    bool has(const std::string& name) const;
    std::string value(const std::string& name) const;   // the last one given; "" when absent
};

// Parses argv. Returns -1 when the program should run; otherwise the exit status the program
// ends with at once: 0 after --help or --version (printed on standard output), 2 after a usage
// error (said on standard error with a pointer to --help). Options may be given as "--name value"
// or "--name=value".
int ParseCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, ParsedCommandLine& out);

// The options every windowed program takes, beside --help and --version: "--trace FILE" (the
// per-frame trace) and "--scale N" (the picture N times as large). List kWindowOptions in the
// program's syntax; ParseWindowCommandLine parses the whole command line and applies those two.
// Returns -1 when the program goes on, else the status it ends with.
extern const CommandLineOption kWindowOptions[2];
int ParseWindowCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, ParsedCommandLine& out);
// ParseWindowCommandLine in two steps, for a program that checks options of its own in between,
// so that nothing is written before every option is known to be good: first the parse and the
// checks (--scale applied, no file given twice), nothing opened; then the trace started.
// The first step: parses and checks, --scale applied, nothing opened.
int CheckWindowCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, ParsedCommandLine& out);
// The second step: starts the trace --trace asks for; -1 when the program goes on, else its status.
int StartWindowTrace(const CommandLineSyntax& syntax, const ParsedCommandLine& args);
// Called by a windowed program's main once WinMain has returned, with its result: ends the trace
// (in place if the program quit, removed if its window never opened) and returns the status the
// program ends with: 0 after a session whose files were written in full, else 1.
int EndWindowProgram(int winMainResult);

// A file a command line names outside its options (a script), for CommandLineFilesDistinct.
struct NamedFile {
    std::string role;   // "the script"
    std::string path;
    FileUse use;
};
// Called by the command-line parsers before anything is opened: false, said as a usage error
// ("--trace and --record name the same file 'x'"), when an option that writes a file names the
// same file as another option's or one of `more` (platform::sameOutputFile: links and "./" seen
// through). An output would otherwise cut another short, or replace the input it reads.
bool CommandLineFilesDistinct(const CommandLineSyntax& syntax, const ParsedCommandLine& args,
                              const std::vector<NamedFile>& more = {});

// Says a usage error of `syntax.program` on standard error, with a pointer to --help, for what a
// program checks itself after ParseCommandLine. Returns 2, the status the program ends with.
int CommandLineUsageError(const CommandLineSyntax& syntax, const std::string& what);

// Reads a decimal whole number from minValue to maxValue; false for anything else.
bool ParseWholeNumber(const std::string& text, long long minValue, long long maxValue, long long& out);

// ParseWholeNumber for an option's argument: false, said as a usage error ("--time takes whole
// seconds from 0 to ..., not 'x'", `takes` naming what it takes), for anything else.
bool CommandLineNumber(const CommandLineSyntax& syntax, const std::string& option, const std::string& text,
                       long long minValue, long long maxValue, long long& out, const char* takes = "a whole number");
bool CommandLineNumber(const CommandLineSyntax& syntax, const std::string& option, const std::string& text,
                       int minValue, int maxValue, int& out);

// The option choosing the language of the texts: "--lang LANG", one of the framework's languages
// (framework/core/texts.h). ChosenLanguage reads it: false, said as a usage error listing the
// languages ("--lang takes one of ja, en, not 'x'"), for any other; `language` is left as it is
// when the option is absent.
extern const CommandLineOption kLanguageOption;
bool ChosenLanguage(const CommandLineSyntax& syntax, const ParsedCommandLine& args, const char*& language);

// "quorbix 1.0", the text --version prints for `program`: its version, or the framework's when
// version is null.
std::string VersionText(const char* program, const char* version = nullptr);

}  // namespace quorbix

#include "framework/core/legacy_names.h"
