#pragma once

#include "mostradorlog.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A test with an installation directory and a work directory (the log's) of its own.
class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(appDir());
        QDir().mkpath(workDir());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + QStringLiteral("/app/"); }
    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }
    QStringList logLines() const { return mostradorLogLines(workDir()); }

    QTemporaryDir m_dir;
};
