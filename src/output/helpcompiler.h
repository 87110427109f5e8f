#pragma once

#include "output/compilerprogress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <functional>

namespace Output {

// Receives each message line of the compiler; returning false stops the compile.
using CompileLogCallback = std::function<bool(const QString& message)>;
// Receives the number of files the compiler has dealt with so far (never more than it was given) and the
// number of files it was given; returning false stops the compile.
using CompileProgressCallback = std::function<bool(int filesDone, int filesListed)>;

// Which compiler runs and how long it may stay silent before it is given up. Silent is a compiler that
// prints nothing, whose reading and writing stand still (or, where they cannot be read, whose processor
// time does) and whose book does not change.
struct HelpCompilerSettings
{
    QString program = QStringLiteral("chmcmd");
    int silenceLimitMs = 10 * 60 * 1000;
    // How the running compiler is looked at.
    std::function<ProcessActivity(qint64 pid)> readActivity = ReadProcessActivity;
    // When set, the file that records what the CHM was made from: a CHM made by the same compiler from the
    // same project and the same files is kept as it is instead of compiled again.
    QString stampPath = {};
};

struct CompileOutcome
{
    bool made = false;
    bool reused = false; // the CHM was already made from the same project and files
    QString chmPath;     // the compiled file named by the project (absolute)
    QString reason;      // why no CHM was made
    QString writeCause;  // set when it was for want of room: "磁盘已满（…）"
};

// Compiles the help project at projectPath into the file its "Compiled file" line names, with the Free
// Pascal help compiler (chmcmd) as a child process; the caller's event loop keeps running meanwhile.
// chmcmd takes only what the project lists, so it compiles a copy of the project that lists every file of
// the project's folder. The CHM is written under a temporary name, its directory header corrected
// (RepairListingStart) and moved into place when complete, so a failed compile leaves an earlier CHM as
// it was.
QCoro::Task<CompileOutcome> HHA_CompileHHP(QString projectPath, CompileLogCallback log,
                                           CompileProgressCallback progress,
                                           HelpCompilerSettings settings = {});

// Kills every compiler at work and waits for it to end; their compiles are abandoned and never go on.
// For the end of the program only (a signal, the window closing). The number of compilers stopped.
int StopCompilesForExit();

// The pieces of the project that decide the copy.
struct ProjectSummary
{
    QString compiledFile; // as written after "Compiled file ="
    QString contentsFile;
    QString indexFile;
    QString homePage; // the default window's home page, or the default topic
    bool hasDefaultTopic = false;
};
ProjectSummary SummariseProject(const QString& projectText);

// The project as the compiler gets it: every option as written, except that the compiled file becomes
// outputPath and a missing default topic becomes the home page; the [FILES] section lists exactly files.
// Paths are written as the file system names them (UTF-8), the rest in the local code page.
QByteArray CompilerProjectCopy(const QString& projectText, const QString& outputPath,
                               const QStringList& files);
// The same handed to write a piece at a time.
void WriteCompilerProjectCopy(const QString& projectText, const QString& outputPath, const QStringList& files,
                              const std::function<void(const QByteArray& bytes)>& write);

// Every file below folder as "/"-separated relative path, sorted; hidden files, links and the excluded
// relative paths left out.
QStringList FolderFiles(const QString& folder, const QStringList& excluded);

} // namespace Output
