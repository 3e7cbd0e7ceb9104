#pragma once

#include "TTestFolder.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// Runs a packer (zip, 7z, gzip) in the folder: the test archives are made as users make
// them. A packer that fails fails the test that called it.
inline void PackArchive(
    const TTestFolder& folder, const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder.Path());
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString();
    ASSERT_EQ(process.exitCode(), 0)
        << program.toStdString() << ' ' << process.readAllStandardError().toStdString();
}
