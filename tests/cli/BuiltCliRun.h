#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// What the built conveyor-cli did with some arguments: its exit code (-1 when it crashed or
// did not finish in time) and its two outputs as bytes.
struct TBuiltCliRun
{
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

// Runs the built conveyor-cli in the C locale, whose system error texts the tests expect.
inline TBuiltCliRun RunBuiltCli(const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CONVEYOR_CLI), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError() };
}
