#include "paths.h"
#include "recordingmessageboxes.h"
#include "singleinstancelock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const QString kCaption = QStringLiteral("Zelvora Mostrador");
const QString kRunning = QStringLiteral("La aplicación ZelvoraMostrador ya esta funcionando");
const QString kFailed = QStringLiteral("Error en la comprobación de ejecución de la aplicación");

class SingleInstanceLockTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString lockPath() const { return m_dir.path() + QStringLiteral("/ZelvoraMostrador.lock"); }

    RecordingMessageBoxes boxes;
    QTemporaryDir m_dir;
};

TEST_F(SingleInstanceLockTest, TheFirstCopyRunsAndTheSecondIsToldWithoutDisturbingIt)
{
    const SingleInstanceLock first(lockPath());
    EXPECT_TRUE(first.comprobar(boxes, kCaption));
    EXPECT_TRUE(boxes.boxes.isEmpty());

    {
        const SingleInstanceLock second(lockPath());
        EXPECT_FALSE(second.comprobar(boxes, kCaption));
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Error);
        EXPECT_EQ(boxes.boxes[0].caption, kCaption);
        EXPECT_EQ(boxes.boxes[0].text, kRunning);
    }
    // The second copy's end does not free the first one's lock.
    const SingleInstanceLock third(lockPath());
    EXPECT_FALSE(third.comprobar(boxes, kCaption));
}

TEST_F(SingleInstanceLockTest, ALockHeldByAnotherProcessIsBusyUntilItEnds)
{
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-o"), lockPath(), QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    bool busy = false;
    for (int i = 0; i < 100 && !busy; ++i) {
        QThread::msleep(20);
        busy = !SingleInstanceLock(lockPath()).comprobar(boxes, kCaption);
    }
    EXPECT_TRUE(busy);
    EXPECT_EQ(boxes.boxes.last().text, kRunning);

    holder.kill(); // the kernel drops the lock of a killed process (its child holds no copy: -o)
    holder.waitForFinished();
    boxes.boxes.clear();
    EXPECT_TRUE(SingleInstanceLock(lockPath()).comprobar(boxes, kCaption));
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(SingleInstanceLockTest, ALockThatCannotBeTakenIsAnError)
{
    const SingleInstanceLock lock(m_dir.path() + QStringLiteral("/no such folder/ZelvoraMostrador.lock"));
    EXPECT_FALSE(lock.comprobar(boxes, kCaption));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Error);
    EXPECT_EQ(boxes.boxes[0].text, kFailed);
}

TEST_F(SingleInstanceLockTest, TheLockLivesInTheRuntimeDirectoryElseInTheWorkDirectory)
{
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QString work = m_dir.path() + QStringLiteral("/work dir");
    qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(work));

    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/run/")));
    EXPECT_EQ(platform::singleInstanceLockPath(QStringLiteral("ZelvoraMostrador")),
              m_dir.path() + QStringLiteral("/run/ZelvoraMostrador.lock"));
    EXPECT_FALSE(QDir(work).exists());

    // The work directory is every user's: each user has a lock of their own there.
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(platform::singleInstanceLockPath(QStringLiteral("ZelvoraMostrador")),
              work + QStringLiteral("/ZelvoraMostrador-%1.lock").arg(geteuid()));
    EXPECT_TRUE(QDir(work).exists()); // created, so the lock can be taken on a fresh machine

    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qunsetenv("ZELVORA_TEMP_DIR");
}

} // namespace
