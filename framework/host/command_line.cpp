// Program host: the programs' command line (--help, --version, their own options).
#include "framework/host/command_line.h"

#include "framework/core/texts.h"
#include "framework/host/trace.h"
#include "platform/files/os.h"
#include "platform/files/output_file.h"
#include "platform/window/window.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace quorbix {

#ifndef QRB_VERSION
#define QRB_VERSION "unknown"
#endif

namespace {

const CommandLineOption* FindOption(const CommandLineSyntax& syntax, const std::string& name) {
    for (const CommandLineOption& o : syntax.options)
        if (name == o.name) return &o;
    return nullptr;
}

void PrintHelp(const CommandLineSyntax& syntax) {
    std::printf("usage: %s %s\n%s\n\noptions:\n", syntax.program, syntax.synopsis, syntax.summary);
    auto line = [](const std::string& left, const char* help) {
        std::printf("  %-20s %s\n", left.c_str(), help);
    };
    for (const CommandLineOption& o : syntax.options)
        line(std::string(o.name) + (o.argument != nullptr ? std::string(" ") + o.argument : ""), o.help);
    line("--help", "show this help and exit");
    line("--version", "show the version and exit");
    if (syntax.epilogue != nullptr) std::printf("\n%s\n", syntax.epilogue);
}

}  // namespace

int CommandLineUsageError(const CommandLineSyntax& syntax, const std::string& what) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", syntax.program, what.c_str(),
                 syntax.program);
    return 2;
}

bool ParsedCommandLine::has(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name) return true;
    return false;
}

std::string ParsedCommandLine::value(const std::string& name) const {
    std::string v;
    for (const auto& o : options)
        if (o.first == name) v = o.second;
    return v;
}

std::string VersionText(const char* program, const char* version) {
    return std::string(program) + " " + (version != nullptr ? version : QRB_VERSION);
}

int ParseCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, ParsedCommandLine& out) {
    out = ParsedCommandLine{};
    const std::vector<std::string> args = platform::os::arguments(argc, argv);
    argc = static_cast<int>(args.size());
    int i = 1;
    for (; i < argc; ++i) {
        std::string word = args[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word.size() < 2 || word[0] != '-') {
            if (!syntax.optionsAfterWords) break;   // the program's own text starts here
            out.words.push_back(word);
            continue;
        }
        if (word == "--help" || word == "-h") {
            PrintHelp(syntax);
            return 0;
        }
        if (word == "--version") {
            std::printf("%s\n", VersionText(syntax.program, syntax.version).c_str());
            return 0;
        }
        std::string name = word, argument;
        bool inlineArgument = false;
        std::size_t eq = word.find('=');
        if (word.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = word.substr(0, eq);
            argument = word.substr(eq + 1);
            inlineArgument = true;
        }
        const CommandLineOption* option = FindOption(syntax, name);
        if (option == nullptr) return CommandLineUsageError(syntax, "unknown option '" + name + "'");
        if (option->argument == nullptr) {
            if (inlineArgument) return CommandLineUsageError(syntax, "option '" + name + "' takes no argument");
        } else if (!inlineArgument) {
            if (i + 1 >= argc) return CommandLineUsageError(syntax, "option '" + name + "' needs " + option->argument);
            argument = args[++i];
        }
        out.options.emplace_back(name, argument);
    }
    for (; i < argc; ++i) out.words.emplace_back(args[i]);
    for (std::size_t w = 0; w < out.words.size(); ++w) out.rest += (w > 0 ? " " : "") + out.words[w];
    return -1;
}

bool ParseWholeNumber(const std::string& text, long long minValue, long long maxValue, long long& out) {
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || errno != 0 || *end != '\0' || v < minValue || v > maxValue) return false;
    out = v;
    return true;
}

bool CommandLineNumber(const CommandLineSyntax& syntax, const std::string& option, const std::string& text,
                       long long minValue, long long maxValue, long long& out, const char* takes) {
    if (ParseWholeNumber(text, minValue, maxValue, out)) return true;
    CommandLineUsageError(syntax, option + " takes " + takes + " from " + std::to_string(minValue) + " to " +
                                      std::to_string(maxValue) + ", not '" + text + "'");
    return false;
}

bool CommandLineNumber(const CommandLineSyntax& syntax, const std::string& option, const std::string& text,
                       int minValue, int maxValue, int& out) {
    long long v = 0;
    if (!CommandLineNumber(syntax, option, text, minValue, maxValue, v)) return false;
    out = static_cast<int>(v);
    return true;
}

bool CommandLineFilesDistinct(const CommandLineSyntax& syntax, const ParsedCommandLine& args,
                              const std::vector<NamedFile>& more) {
    std::vector<NamedFile> files;
    for (const CommandLineOption& o : syntax.options)
        if (o.file != FileUse::None && args.has(o.name) && !args.value(o.name).empty())
            files.push_back({o.name, args.value(o.name), o.file});
    for (const NamedFile& f : more)
        if (!f.path.empty() && f.path != "-") files.push_back(f);
    for (std::size_t i = 0; i < files.size(); ++i)
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (files[i].use != FileUse::Writes && files[j].use != FileUse::Writes) continue;
            if (!platform::sameOutputFile(files[i].path, files[j].path)) continue;
            CommandLineUsageError(syntax, files[i].role + " and " + files[j].role + " name the same file '" +
                                              files[j].path + "'");
            return false;
        }
    return true;
}

const CommandLineOption kLanguageOption = {"--lang", "LANG", "show the texts in LANG: ja or en"};

bool ChosenLanguage(const CommandLineSyntax& syntax, const ParsedCommandLine& args, const char*& language) {
    if (!args.has("--lang")) return true;
    const std::string wanted = args.value("--lang");
    for (const char* known : kLanguages)
        if (wanted == known) {
            language = known;
            return true;
        }
    CommandLineUsageError(syntax, "--lang takes one of " + LanguageList() + ", not '" + wanted + "'");
    return false;
}

const CommandLineOption kWindowOptions[2] = {
    {"--scale", "N", "show the picture N times as large (default: what fits)"},
    {"--trace", "FILE", "write one JSON line per frame to FILE", FileUse::Writes},
};

int CheckWindowCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, ParsedCommandLine& out) {
    const int exitCode = ParseCommandLine(argc, argv, syntax, out);
    if (exitCode >= 0) return exitCode;
    if (out.has("--scale")) {
        int scale = 0;
        if (!CommandLineNumber(syntax, "--scale", out.value("--scale"), 1, 16, scale)) return 2;
        platform::setWindowScale(scale);
    }
    if (!CommandLineFilesDistinct(syntax, out)) return 2;
    return -1;
}

int StartWindowTrace(const CommandLineSyntax& syntax, const ParsedCommandLine& args) {
    if (args.has("--trace") && !StartTrace(syntax.program, args.value("--trace"))) return 2;
    return -1;
}

int ParseWindowCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, ParsedCommandLine& out) {
    const int exitCode = CheckWindowCommandLine(argc, argv, syntax, out);
    if (exitCode >= 0) return exitCode;
    return StartWindowTrace(syntax, out);
}

int EndWindowProgram(int winMainResult) {
    const bool traced = EndTrace();
    return winMainResult != 0 && traced ? 0 : 1;
}

}  // namespace quorbix
