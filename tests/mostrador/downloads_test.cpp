// Downloads in the real browser, from the test's own HTTPS server, with the windows' answers
// chosen by each test.
#include "browsercontrol.h"
#include "browserpage.h"
#include "browserruntime.h"
#include "downloadmanager.h"
#include "downloadprogress.h"
#include "downloadwindows.h"
#include "qtprint.h"
#include "testpageserver.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Delivery = TestPageServer::Delivery;

// Windows that answer as the test says and record what they were shown.
class RecordedWindows : public DownloadWindows {
public:
    struct Progress {
        QString fileName;
        bool alive = true;
    };

    std::function<TOpcionAbrirGuardar(const QString &fileName)> answer;
    std::optional<QString> savePath;
    QStringList questions;
    QStringList saveDialogs; // the name each was preset to
    QStringList failures;    // the name and the reason of each
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
        return std::make_unique<Window>(progress.back());
    }
    void avisarFallo(const QString &fileName, const QString &motivo) override { failures << fileName + QStringLiteral(": ") + motivo; }

private:
    class Window : public DownloadProgress {
    public:
        explicit Window(std::shared_ptr<Progress> record) : m_record(std::move(record)) {}
        ~Window() override { m_record->alive = false; }

    private:
        std::shared_ptr<Progress> m_record;
    };
};

class DownloadsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<TestPageServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        QDir(root.path()).mkpath(QStringLiteral("abrir"));
        QDir(root.path()).mkpath(QStringLiteral("guardar"));
        QObject::connect(&runtime.profile(), &QWebEngineProfile::downloadRequested,
                         [this](QWebEngineDownloadRequest *request) { requests << request; });
    }

    // Starts the download as a click on a link would, and waits for the question.
    void startDownload(const QString &name, const QString &type, Delivery delivery = Delivery::AtOnce)
    {
        const qsizetype asked = windows.questions.size();
        view.load(QUrl(server->downloadUrl(name, type, delivery)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return windows.questions.size() > asked; }, 30000)) << qPrintable(name);
    }

    // Waits until the browser is done with every request: finished, broken off, or dropped
    // unanswered. A broken-off download comes back as a new request under the same id.
    bool settled()
    {
        return QTest::qWaitFor([&] {
            QMap<quint32, QPointer<QWebEngineDownloadRequest>> latest;
            for (const QPointer<QWebEngineDownloadRequest> &r : requests)
                if (r)
                    latest[r->id()] = r;
            return std::all_of(latest.begin(), latest.end(), [](const QPointer<QWebEngineDownloadRequest> &r) {
                return !r || r->isFinished() || r->state() == QWebEngineDownloadRequest::DownloadRequested ||
                       r->state() == QWebEngineDownloadRequest::DownloadInterrupted;
            });
        }, 30000);
    }

    // Every file below the test's directory, without the browser's partial ones.
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next().mid(root.path().size() + 1);
        found.sort();
        return found.filter(QRegularExpression(QStringLiteral("(?<!\\.download)$")));
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
        TOpcionAbrirGuardar answer;
        bool dialogConfirms;
        Delivery delivery;
        const char *written; // below the test's directory, holding the server's content
        const char *failure = nullptr; // the reason the user is told
    };
    const QByteArray longName = QByteArray(300, 'a') + ".pdf", longWritten = "abrir/" + QByteArray(240, 'a') + ".pdf";
    const Case cases[] = {
        {"report.pdf", mtAbrir, false, Delivery::Held, "abrir/report.pdf"},
        // The user saves over an existing file: nothing asks, the file is replaced.
        {"informe.csv", mtGuardar, true, Delivery::AtOnce, "guardar/existente.csv"},
        // The save dialog comes preset to the name's last part.
        {"C:\\Informes\\cierre.csv", mtGuardar, false, Delivery::AtOnce, nullptr},
        {"report.pdf", mtCancelar, false, Delivery::AtOnce, nullptr},
        // A name that reaches out of the directory stays inside it.
        {"../../fuera.pdf", mtAbrir, false, Delivery::AtOnce, "abrir/fuera.pdf"},
        {"C:\\Informes\\cierre.pdf", mtAbrir, false, Delivery::AtOnce, "abrir/cierre.pdf"},
        // Nothing hidden or disguised reaches the disk: no leading dot, no right-to-left mark.
        {".informe\u200Ffdp<br>.pdf", mtAbrir, false, Delivery::AtOnce, "abrir/informefdp<br>.pdf"},
        // A name longer than a file system takes is cut before its extension.
        {longName.constData(), mtAbrir, false, Delivery::AtOnce, longWritten.constData()},
        // The connection drops, and the file is gone when the browser tries again.
        {"cortado.pdf", mtAbrir, false, Delivery::Cut, nullptr, "el servidor no entregó el fichero"},
        // Held, then cancelled by the browser.
        {"anulado.pdf", mtAbrir, false, Delivery::Held, nullptr, "la descarga se canceló"},
    };
    const QString existing = root.filePath(QStringLiteral("guardar/existente.csv"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SCOPED_TRACE(c.answer);
        QDir(root.filePath(QStringLiteral("abrir"))).removeRecursively();
        QDir(root.path()).mkpath(QStringLiteral("abrir"));
        QFile::remove(existing);
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("lo que ya estaba, y más largo que la descarga" + QByteArray(8192, '-'));
        file.close();
        windows = {};
        windows.answer = [&c](const QString &) { return c.answer; };
        windows.savePath = c.dialogConfirms ? std::optional<QString>(existing) : std::nullopt;
        opened.clear();
        const QString name = QString::fromUtf8(c.name);
        const QString type = name.endsWith(QStringLiteral(".csv")) ? QStringLiteral("text/csv")
                                                                   : QStringLiteral("application/pdf");

        startDownload(name, type, c.delivery);
        const bool wentAhead = c.answer == mtAbrir || (c.answer == mtGuardar && c.dialogConfirms);
        if (c.delivery == Delivery::Held) {
            // The progress window is up while the file comes.
            ASSERT_EQ(windows.progress.size(), 1u);
            EXPECT_TRUE(windows.progress.front()->alive);
            EXPECT_EQ(windows.progress.front()->fileName, DownloadManager::fileNamePart(name));
            if (c.written)
                server->release(name);
            else
                requests.back()->cancel();
        }
        ASSERT_TRUE(settled());
        // A late signal of a finished download reaches nothing of its entry, which is gone.
        for (const QPointer<QWebEngineDownloadRequest> &request : requests)
            if (request)
                emit request->isFinishedChanged();

        EXPECT_EQ(windows.questions, QStringList{DownloadManager::fileNamePart(name) + u' ' + type});
        EXPECT_EQ(windows.saveDialogs,
                  c.answer == mtGuardar ? QStringList{DownloadManager::fileNamePart(name)} : QStringList());
        QStringList expected{QStringLiteral("guardar/existente.csv")};
        if (c.written && c.answer == mtAbrir)
            expected << QString::fromLatin1(c.written);
        expected.sort();
        EXPECT_EQ(files(), expected);
        if (c.written) {
            EXPECT_EQ(read(QString::fromLatin1(c.written)), TestPageServer::downloadContent(name));
        }
        EXPECT_EQ(opened, c.written && c.answer == mtAbrir ? QStringList{root.filePath(QString::fromLatin1(c.written))}
                                                            : QStringList());
        // A progress window for each download that went ahead, gone once it ended; the user
        // is told of a download that ended without its file.
        ASSERT_EQ(windows.progress.size(), wentAhead ? 1u : 0u);
        if (wentAhead) {
            EXPECT_FALSE(windows.progress.front()->alive);
        }
        EXPECT_EQ(windows.failures, c.failure ? QStringList{DownloadManager::fileNamePart(name) + QStringLiteral(": ") + QString::fromUtf8(c.failure)}
                                              : QStringList());
    }
}

TEST_F(DownloadsTest, DownloadsAtOnceKeepTheirOwnAnswerPathAndWindow)
{
    windows.savePath = root.filePath(QStringLiteral("guardar/informe.csv"));
    windows.answer = [](const QString &fileName) { return fileName == QStringLiteral("informe.csv") ? mtGuardar : mtAbrir; };
    // Two held at the server, and a third to the first one's name, which completes at once.
    startDownload(QStringLiteral("lento.pdf"), QStringLiteral("application/pdf"), Delivery::Held);
    startDownload(QStringLiteral("informe.csv"), QStringLiteral("text/csv"), Delivery::Held);
    startDownload(QStringLiteral("lento.pdf"), QStringLiteral("application/pdf"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 1; }, 30000));
    EXPECT_EQ(opened, QStringList{root.filePath(QStringLiteral("abrir/lento (2).pdf"))});
    ASSERT_EQ(windows.progress.size(), 3u);
    const auto &first = windows.progress[0];
    const auto &second = windows.progress[1];
    EXPECT_TRUE(first->alive && second->alive);
    EXPECT_FALSE(windows.progress[2]->alive);

    // The saved one completes: its own window goes, nothing is opened.
    server->release(QStringLiteral("informe.csv"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second->alive; }, 30000));
    EXPECT_TRUE(first->alive);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(read(QStringLiteral("guardar/informe.csv")), TestPageServer::downloadContent(QStringLiteral("informe.csv")));

    // The first one still opens its own file.
    server->release(QStringLiteral("lento.pdf"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 30000));
    EXPECT_EQ(opened.back(), root.filePath(QStringLiteral("abrir/lento.pdf")));
    EXPECT_FALSE(first->alive);
}

TEST_F(DownloadsTest, AFullDiskLeavesTheDownloadUnfinishedAndSaysSo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small filesystem";
    const QString full = root.filePath(QStringLiteral("lleno"));
    QDir().mkpath(full);
    if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                    QStringLiteral("size=64k"), QStringLiteral("tmpfs"), full}) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::unique_ptr<const QString, void (*)(const QString *)> unmount(
        &full, [](const QString *path) { QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), *path}); });
    QFile filler(full + QStringLiteral("/relleno"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, '0')) == 4096 && filler.flush()) {
    }
    filler.close();

    windows.answer = [](const QString &) { return mtGuardar; };
    windows.savePath = full + QStringLiteral("/informe.csv");
    startDownload(QStringLiteral("informe.csv"), QStringLiteral("text/csv"));
    ASSERT_TRUE(settled());
    QFile saved(*windows.savePath);
    EXPECT_FALSE(saved.open(QIODevice::ReadOnly) && saved.readAll() == TestPageServer::downloadContent(QStringLiteral("informe.csv")));
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(windows.progress.size(), 1u);
    EXPECT_FALSE(windows.progress.front()->alive);
    EXPECT_EQ(windows.failures, QStringList{QStringLiteral("informe.csv: no queda espacio en el disco")});
}

TEST(DownloadFileName, OnlyTheLastPartOfTheSuggestedNameIsKept)
{
    const std::pair<const char *, const char *> cases[] = {
        {"report.pdf", "report.pdf"},            {"../../etc/passwd", "passwd"}, {"/etc/passwd", "passwd"},
        {"..\\..\\Windows\\win.ini", "win.ini"}, {"informes/", "descarga"},     {"..", "descarga"},
        {"", "descarga"},                        {"..report..pdf", "report..pdf"},
        // Nothing hidden, nothing invisible: a login script's name, a right-to-left mark that shows
        // "fdp.sh" as "hs.pdf", control characters.
        {".profile", "profile"},                 {".informe\u200Ffdp.pdf", "informefdp.pdf"},
        {"informe\u202Efdp.sh", "informefdp.sh"}, {"in\tfor\x1Bme\n.pdf", "informe.pdf"},
        {".\u200B.", "descarga"},               {"año.pdf", "año.pdf"},
        // Nothing that pushes the extension out of sight: separators, gaps; by code point, so that
        // a format character outside the basic plane goes too, and an unassigned one.
        {"informe.pdf\u2028\u2028\u2028\u2029\u2029\u2029.sh", "informe.pdf.sh"},
        {"informe.pdf    \u00A0   \u3000 .sh", "informe.pdf .sh"},
        {"in\U000E0041for\U0001D173me\u0378\uFFFF.pdf", "informe.pdf"},
        {" \U0001F600 informe.pdf ", "\U0001F600 informe.pdf"},
    };
    for (const auto &[suggested, expected] : cases)
        EXPECT_EQ(DownloadManager::fileNamePart(QString::fromUtf8(suggested)), QString::fromUtf8(expected))
            << suggested;
    // A surrogate without its partner is no character.
    EXPECT_EQ(DownloadManager::fileNamePart(QStringLiteral("in") + QChar(0xD800) + QStringLiteral("for") + QChar(0xDC00) + QStringLiteral("me.pdf")),
              QStringLiteral("informe.pdf"));
    // Short enough for a file system with the browser's partial file beside it (255 bytes of UTF-8
    // with ".crdownload"), the extension kept, no character cut in two.
    const std::pair<QString, QString> longNames[] = {
        {QString(300, u'a') + QStringLiteral(".pdf"), QString(240, u'a') + QStringLiteral(".pdf")},
        {QString(200, u'ñ') + QStringLiteral(".pdf"), QString(120, u'ñ') + QStringLiteral(".pdf")},
        {QString::fromUtf8("\U0001F600").repeated(100) + QStringLiteral(".pdf"), QString::fromUtf8("\U0001F600").repeated(60) + QStringLiteral(".pdf")},
        {QString(300, u'a'), QString(244, u'a')},
    };
    for (const auto &[suggested, expected] : longNames)
        EXPECT_EQ(DownloadManager::fileNamePart(suggested), expected) << suggested.size();
}

} // namespace
