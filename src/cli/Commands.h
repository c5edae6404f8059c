#pragma once

#include <QStringList>

// The verbs of quorvane-cli. Each takes the arguments after its verb and
// returns the exit status: 0 success, 1 the operation reported a failure,
// 2 a usage error.
int runList(const QStringList &args);
int runCategory(const QStringList &args);
int runFeed(const QStringList &args);
int runParse(const QStringList &args);
int runCheck(const QStringList &args);
int runItems(const QStringList &args);
int runSend(const QStringList &args);
int runOpml(const QStringList &args);

// Writes a usage message to standard error and returns 2.
int usageError(const QString &message);
// One line on standard output, or on standard error, in UTF-8.
void printLine(const QString &line);
void printError(const QString &line);
// The message on standard error, and 1.
int failed(const QString &message);
