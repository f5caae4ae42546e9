// Downloads in the real browser, from the test's own HTTPS server, with the windows' answers
// chosen by each test.
#include "browsercontrol.h"
#include "browserpage.h"
#include "browserruntime.h"
#include "downloadmanager.h"
#include "downloadprogress.h"
#include "downloadwindows.h"
#include "testpageserver.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

namespace {

// Windows that answer as the test says and record what they were shown.
class RecordedWindows : public DownloadWindows {
public:
    struct Progress {
        QString fileName;
        bool alive = true;
        bool leftToUser = false;
    };

    std::function<TOpcionAbrirGuardar(const QString &fileName)> answer;
    std::optional<QString> savePath;
    QStringList questions;
    QStringList saveDialogs;
    std::vector<std::shared_ptr<Progress>> progress;

    TOpcionAbrirGuardar preguntarAbrirGuardar(const QString &fileName, const QString &mimeType) override
    {
        questions << fileName + u' ' + mimeType;
        return answer(fileName);
    }
    std::optional<QString> elegirDestino(const QString &fileName) override
    {
        saveDialogs << fileName;
        return savePath;
    }
    std::unique_ptr<DownloadProgress> mostrarDescarga(const QString &fileName) override
    {
        progress.push_back(std::make_shared<Progress>(Progress{fileName}));
        return std::make_unique<Window>(progress.back(), m_leftWindows);
    }

private:
    class Window : public DownloadProgress {
    public:
        Window(std::shared_ptr<Progress> record, std::vector<std::unique_ptr<DownloadProgress>> &left)
            : m_record(std::move(record)), m_left(left)
        {
        }
        ~Window() override { m_record->alive = false; }
        void leaveToUser() override
        {
            m_record->leftToUser = true;
            m_left.emplace_back(this);
        }

    private:
        std::shared_ptr<Progress> m_record;
        std::vector<std::unique_ptr<DownloadProgress>> &m_left;
    };
    std::vector<std::unique_ptr<DownloadProgress>> m_leftWindows;
};

class DownloadsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<TestPageServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        QDir(root.path()).mkdir(QStringLiteral("abrir"));
        QDir(root.path()).mkdir(QStringLiteral("guardar"));
        QObject::connect(&runtime.profile(), &QWebEngineProfile::downloadRequested,
                         [this](QWebEngineDownloadRequest *request) { requests << request; });
    }

    // Starts the download as a click on a link would, and waits for the question.
    void startDownload(const QString &url)
    {
        const qsizetype asked = windows.questions.size();
        view.load(QUrl(url));
        ASSERT_TRUE(QTest::qWaitFor([&] { return windows.questions.size() > asked; }, 30000)) << qPrintable(url);
    }

    // Waits until the browser is done with every request: finished, or dropped unanswered.
    bool settled()
    {
        return QTest::qWaitFor([&] {
            for (const QPointer<QWebEngineDownloadRequest> &request : requests)
                if (request && !request->isFinished() && request->state() != QWebEngineDownloadRequest::DownloadRequested)
                    return false;
            return true;
        }, 30000);
    }

    // Every file below the test's directory, relative to it.
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next().mid(root.path().size() + 1);
        found.sort();
        return found;
    }

    QByteArray read(const QString &relative) const
    {
        QFile file(root.filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static inline std::unique_ptr<TestPageServer> server;
    QTemporaryDir root;
    BrowserRuntime runtime;
    BrowserControl view{runtime.profile()};
    RecordedWindows windows;
    QStringList opened;
    DownloadManager manager{runtime.profile(), windows, [this](const QString &path) { opened << path; },
                            [this] { return root.filePath(QStringLiteral("abrir/")); }};
    QList<QPointer<QWebEngineDownloadRequest>> requests;
};

TEST_F(DownloadsTest, TheAnswerDecidesWhereTheFileGoesAndWhetherItIsOpened)
{
    struct Case {
        const char *name;
        const char *type;
        TOpcionAbrirGuardar answer;
        bool dialogConfirms;
        const char *written; // below the test's directory, holding the server's content
        bool opened;
    };
    const Case cases[] = {
        {"report.pdf", "application/pdf", mtAbrir, false, "abrir/report.pdf", true},
        // The user saves over an existing file: nothing asks, the file is replaced.
        {"informe.csv", "text/csv", mtGuardar, true, "guardar/existente.csv", false},
        {"informe.csv", "text/csv", mtGuardar, false, nullptr, false},
        {"report.pdf", "application/pdf", mtCancelar, false, nullptr, false},
        // A name that reaches out of the directory stays inside it.
        {"../../fuera.pdf", "application/pdf", mtAbrir, false, "abrir/fuera.pdf", true},
        {"C:\\Informes\\cierre.pdf", "application/pdf", mtAbrir, false, "abrir/cierre.pdf", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SCOPED_TRACE(c.answer);
        QDir(root.filePath(QStringLiteral("abrir"))).removeRecursively();
        QDir(root.path()).mkdir(QStringLiteral("abrir"));
        const QString existing = root.filePath(QStringLiteral("guardar/existente.csv"));
        QFile::remove(existing);
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("lo que ya estaba, y es más largo que lo que llega de la descarga " + QByteArray(8192, '-'));
        file.close();
        windows = {};
        windows.answer = [&c](const QString &) { return c.answer; };
        windows.savePath = c.dialogConfirms ? std::optional<QString>(existing) : std::nullopt;
        opened.clear();

        startDownload(server->downloadUrl(QString::fromUtf8(c.name), QString::fromLatin1(c.type)));
        ASSERT_TRUE(settled());
        EXPECT_EQ(windows.questions, QStringList{DownloadManager::fileNamePart(QString::fromUtf8(c.name)) + u' ' +
                                                 QString::fromLatin1(c.type)});
        EXPECT_EQ(windows.saveDialogs.size(), c.answer == mtGuardar ? 1 : 0);
        QStringList expected{QStringLiteral("guardar/existente.csv")};
        if (c.written && c.answer == mtAbrir)
            expected << QString::fromLatin1(c.written);
        expected.sort();
        EXPECT_EQ(files(), expected);
        if (c.written) {
            EXPECT_EQ(read(QString::fromLatin1(c.written)), TestPageServer::downloadContent(QString::fromUtf8(c.name)));
        }
        EXPECT_EQ(opened, c.opened ? QStringList{root.filePath(QString::fromLatin1(c.written))} : QStringList());
        // A progress window only for a download that went ahead, and gone once it completed.
        ASSERT_EQ(windows.progress.size(), c.written ? 1u : 0u);
        if (c.written) {
            EXPECT_FALSE(windows.progress.front()->alive);
        }
    }
}

TEST_F(DownloadsTest, TheProgressWindowIsUpWhileTheFileComes)
{
    windows.answer = [](const QString &) { return mtAbrir; };
    startDownload(server->downloadUrl(QStringLiteral("lento.pdf"), QStringLiteral("application/pdf"),
                                      TestPageServer::Delivery::Held));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !requests.isEmpty() && requests.back() &&
                                             requests.back()->state() == QWebEngineDownloadRequest::DownloadInProgress; }));
    ASSERT_EQ(windows.progress.size(), 1u);
    EXPECT_EQ(windows.progress.front()->fileName, QStringLiteral("lento.pdf"));
    EXPECT_TRUE(windows.progress.front()->alive);
    EXPECT_TRUE(opened.isEmpty());

    server->release(QStringLiteral("lento.pdf"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 30000));
    EXPECT_FALSE(windows.progress.front()->alive);
    EXPECT_EQ(opened, QStringList{root.filePath(QStringLiteral("abrir/lento.pdf"))});
}

TEST_F(DownloadsTest, ADownloadThatDoesNotCompleteIsNeverOpened)
{
    windows.answer = [](const QString &) { return mtAbrir; };
    // The connection drops halfway; the browser gives up on the other one itself.
    const std::pair<const char *, TestPageServer::Delivery> cases[] = {
        {"cortado.pdf", TestPageServer::Delivery::Cut},
        {"anulado.pdf", TestPageServer::Delivery::Held},
    };
    for (const auto &[name, delivery] : cases) {
        SCOPED_TRACE(name);
        const qsizetype asked = windows.questions.size();
        startDownload(server->downloadUrl(QString::fromLatin1(name), QStringLiteral("application/pdf"), delivery));
        if (delivery == TestPageServer::Delivery::Held)
            requests.back()->cancel();
        // A drop makes the browser try again with a new request for the same download.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return std::any_of(requests.begin(), requests.end(), [&](const QPointer<QWebEngineDownloadRequest> &r) {
                return r && r->suggestedFileName() == QString::fromLatin1(name) &&
                       (r->isFinished() || r->state() == QWebEngineDownloadRequest::DownloadInterrupted);
            });
        }, 30000));
        EXPECT_EQ(windows.questions.size(), asked + 1);
        EXPECT_TRUE(opened.isEmpty()) << qPrintable(opened.join(u','));
        EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("abrir/") + QString::fromLatin1(name))));
        // Its progress window stays until the user closes it.
        ASSERT_EQ(windows.progress.size(), static_cast<size_t>(asked + 1));
        EXPECT_TRUE(windows.progress.back()->alive || windows.progress.back()->leftToUser);
    }
}

TEST_F(DownloadsTest, DownloadsAtOnceKeepTheirOwnAnswerPathAndWindow)
{
    const QString savePath = root.filePath(QStringLiteral("guardar/informe.csv"));
    windows.savePath = savePath;
    windows.answer = [](const QString &fileName) { return fileName == QStringLiteral("informe.csv") ? mtGuardar : mtAbrir; };
    // Two held at the server, and a third to the same name as the first, which completes at once.
    startDownload(server->downloadUrl(QStringLiteral("report.pdf"), QStringLiteral("application/pdf"),
                                      TestPageServer::Delivery::Held));
    startDownload(server->downloadUrl(QStringLiteral("informe.csv"), QStringLiteral("text/csv"),
                                      TestPageServer::Delivery::Held));
    startDownload(server->downloadUrl(QStringLiteral("report.pdf"), QStringLiteral("application/pdf")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 1; }, 30000));
    EXPECT_EQ(opened, QStringList{root.filePath(QStringLiteral("abrir/report (2).pdf"))});

    ASSERT_EQ(windows.progress.size(), 3u);
    const auto &first = windows.progress[0];
    const auto &second = windows.progress[1];
    EXPECT_EQ(second->fileName, QStringLiteral("informe.csv"));
    EXPECT_TRUE(first->alive);
    EXPECT_TRUE(second->alive);
    EXPECT_FALSE(windows.progress[2]->alive);

    // The saved one completes: its own window goes, nothing is opened.
    server->release(QStringLiteral("informe.csv"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second->alive; }, 30000));
    EXPECT_TRUE(first->alive);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(read(QStringLiteral("guardar/informe.csv")), TestPageServer::downloadContent(QStringLiteral("informe.csv")));

    // The first one still opens its own file.
    server->release(QStringLiteral("report.pdf"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 30000));
    EXPECT_EQ(opened.back(), root.filePath(QStringLiteral("abrir/report.pdf")));
    EXPECT_FALSE(first->alive);
    EXPECT_EQ(read(QStringLiteral("abrir/report.pdf")), TestPageServer::downloadContent(QStringLiteral("report.pdf")));
}

TEST(DownloadFileName, OnlyTheLastPartOfTheSuggestedNameIsKept)
{
    const std::pair<const char *, const char *> cases[] = {
        {"report.pdf", "report.pdf"},          {"../report.pdf", "report.pdf"},
        {"../../etc/passwd", "passwd"},        {"/etc/passwd", "passwd"},
        {"..\\..\\Windows\\win.ini", "win.ini"}, {"informes/", "descarga"},
        {"..", "descarga"},                    {".", "descarga"},
        {"", "descarga"},                      {"..report..pdf", "..report..pdf"},
    };
    for (const auto &[suggested, expected] : cases)
        EXPECT_EQ(DownloadManager::fileNamePart(QString::fromLatin1(suggested)), QString::fromLatin1(expected))
            << suggested;
}

} // namespace
