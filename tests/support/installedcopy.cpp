#include "installedcopy.h"

#include "codepage.h"
#include "inifile.h"
#include "stringcipher.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <stdexcept>
#include <sys/stat.h>

QString InstalledCopy::stageDir()
{
    return QStringLiteral(ZELVORA_STAGE_DIR);
}

InstalledCopy::InstalledCopy()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary directory");
    const QDir stage(stageDir());
    if (!stage.exists(QStringLiteral("Ticketera")))
        throw std::runtime_error("the stage directory holds no installation: run the install_stage test first");
    QDir().mkpath(appDir());
    QDir().mkpath(workDir());
    QDirIterator it(stage.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo source(it.next());
        const QString target = appDir() + stage.relativeFilePath(source.filePath());
        if (source.isDir())
            QDir().mkpath(target);
        else
            QFile::copy(source.filePath(), target);
    }
    // The work directory is shared by every user, as the programs create it: 1777, like /tmp.
    chmod(QFile::encodeName(workDir()).constData(), 01777);
    QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7755));
}

QString InstalledCopy::appDir() const
{
    return m_dir.path() + QStringLiteral("/app/");
}

QString InstalledCopy::workDir() const
{
    return m_dir.path() + QStringLiteral("/work");
}

void InstalledCopy::writeFile(const QString &relativePath, const QByteArray &content) const
{
    QFile file(appDir() + relativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        throw std::runtime_error("cannot write a test file");
}

QString InstalledCopy::addProgram(const QString &builtPath) const
{
    const QString name = QFileInfo(builtPath).fileName();
    if (!QFile::copy(builtPath, appDir() + name) || !QFile::setPermissions(appDir() + name, QFile::permissions(builtPath)))
        throw std::runtime_error("cannot copy a test program");
    return name;
}

void InstalledCopy::storeServerAddress(const QString &address) const
{
    const QString stored = encriptarXor(address, QStringLiteral("E"), QStringLiteral("morvatinesca"));
    for (const QChar c : stored) {
        if (c.unicode() <= 32 || c.unicode() > 126)
            throw std::invalid_argument("an address that enciphers into printable characters only");
    }
    IniFile(appDir() + QStringLiteral("Ticketera.ini")).writeString(u"CONNECTION", u"IP_CONFIG", stored);
}

QByteArray InstalledCopy::readFile(const QString &relativePath) const
{
    QFile file(relativePath.startsWith(u'/') ? relativePath : appDir() + relativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void InstalledCopy::start(QProcess &process, const QString &program, const QStringList &arguments,
                          const QProcessEnvironment &environment) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZELVORA_TEMP_DIR"), workDir());
    for (const QString &key : environment.keys())
        env.insert(key, environment.value(key));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir.path());
    process.start(program.startsWith(u'/') ? program : appDir() + program, arguments);
}

InstalledCopy::Result InstalledCopy::run(const QString &program, const QStringList &arguments,
                                         const QProcessEnvironment &environment, int timeoutMs) const
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    start(process, program, arguments, environment);
    Result result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.milliseconds = timer.elapsed();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}

QString InstalledCopy::log(const QString &fileName) const
{
    QFile file(workDir() + u'/' + fileName);
    return file.open(QIODevice::ReadOnly) ? CodePage::toUnicode(file.readAll()) : QString();
}
