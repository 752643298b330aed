#pragma once
// The command line as the program reads it before any window exists: the
// options that only print something work with no display at all, and "--"
// ends the options so that a file name may start with a dash.

#include <QStringList>

#include <optional>

class QTextStream;

// Answers --help, -h and --version, and refuses any other "--" option, given
// the whole command line, program name first. Returns the exit status when
// the program is to end here, having written what it has to say; nothing
// when it is to start.
[[nodiscard]] std::optional<int> AnswerCommandLine(const QStringList& arguments, QTextStream& out,
                                                   QTextStream& err);

// Refuses what the toolkit left of its part of the command line (program name
// first) that starts with a dash, as "-x.bin": says that it is not an option
// and how to open a file of that name, and gives the exit status 2. Nothing
// when all is well.
[[nodiscard]] std::optional<int> RefuseLeftOverOptions(const QStringList& toolkitPart, QTextStream& err);

// How many leading arguments, program name included, the toolkit may read as
// its own options: those before a "--".
[[nodiscard]] int ToolkitArgumentCount(const QStringList& arguments);

// The process's arguments as text, program name first; bytes that are not
// UTF-8 are kept, for a file name to be refused rather than misread.
[[nodiscard]] QStringList ProcessArguments(int argc, char* argv[]);
