// The engine over small layouts: order of output, callbacks and what they change, variables,
// loading, failures inside callbacks, growing text and page breaks.
#include "imageformaterror.h"
#include "imageprobe.h"
#include "layouterror.h"
#include "pictureobject.h"
#include "printererror.h"
#include "report.h"
#include "reportunits.h"
#include "textobject.h"
#include "userdatasource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace report;

namespace {

// Title, a header that prints also without records, its data band over "A", a header that
// does not, its data band over "B", a summary. Each band holds one text naming itself.
const QByteArray kLayout = R"(<report>
  <page name="P" paperWidth="60" paperHeight="100" marginLeft="5" marginTop="4" marginBottom="4">
    <band name="Title" kind="title" height="20"><text name="tTitle" width="100" height="10" text="title"/></band>
    <band name="HeadA" kind="header" dataBand="DataA" printIfDetailEmpty="true" height="20">
      <text name="tHeadA" width="100" height="10" text="headA"/></band>
    <band name="DataA" kind="data" dataSource="A" height="15"><text name="tDataA" width="100" height="10" text="[a]"/></band>
    <band name="HeadB" kind="header" dataBand="DataB" height="20"><text name="tHeadB" width="100" height="10" text="headB"/></band>
    <band name="DataB" kind="data" dataSource="B" height="15"><text name="tDataB" width="100" height="10" text="[b]"/></band>
    <band name="Sum" kind="summary" height="20"><text name="tSum" width="100" height="10" text="sum"/></band>
  </page>
</report>)";

struct Fixture {
    Report report;
    UserDataSource a{QStringLiteral("A")};
    UserDataSource b{QStringLiteral("B")};
    QStringList calls; // BeforePrint senders and GetValue names, in order

    explicit Fixture(const QByteArray &layout = kLayout)
    {
        report.loadFromData(layout, QStringLiteral("test"));
        report.addDataSource(a);
        report.addDataSource(b);
        report.setBeforePrint([this](ReportComponent &sender) { calls << sender.name; });
        report.setGetValue([this](const QString &name, QString &value) {
            calls << u'[' + name + u']';
            value = name + QString::number(name == u"a" ? a.recNo() : b.recNo());
        });
    }

    // The texts output, page by page, each with its top in units.
    QList<std::pair<QString, double>> output() const
    {
        QList<std::pair<QString, double>> texts;
        for (const auto &page : report.prepared().pages())
            for (const auto &item : page)
                if (const auto *text = dynamic_cast<const TextObject *>(item.object.get()))
                    texts.append({text->outputLines().join(u'|'), item.rect.top()});
        return texts;
    }
    QStringList outputTexts() const
    {
        QStringList texts;
        for (const auto &[text, top] : output())
            texts << text;
        return texts;
    }
};

QString mm(double units)
{
    return QString::number(units / kUnitsPerMm, 'f', 2);
}

} // namespace

TEST(Report, OutputsBandsInLayoutOrderWithHeadersBeforeTheirData)
{
    const struct {
        int a, b;
        QStringList texts;
    } cases[] = {
        {0, 0, {"title", "headA", "sum"}},
        {2, 0, {"title", "headA", "a0", "a1", "sum"}},
        {0, 1, {"title", "headA", "headB", "b0", "sum"}},
        {1, 2, {"title", "headA", "a0", "headB", "b0", "b1", "sum"}},
    };
    for (const auto &c : cases) {
        Fixture f;
        f.a.setRecordCount(c.a);
        f.b.setRecordCount(c.b);
        EXPECT_TRUE(f.report.prepare());
        EXPECT_EQ(f.outputTexts(), c.texts) << c.a << ' ' << c.b;
    }

    // Callbacks: each band, then its objects; each variable as its text is output.
    Fixture f;
    f.a.setRecordCount(1);
    f.report.prepare();
    EXPECT_EQ(f.calls, (QStringList{"Title", "tTitle", "HeadA", "tHeadA", "DataA", "tDataA", "[a]", "Sum", "tSum"}));

    // Bands flow down the page from the top margin, each as high as its height.
    const auto out = f.output();
    ASSERT_EQ(out.size(), 4);
    EXPECT_EQ(mm(out[0].second), "4.00");
    EXPECT_DOUBLE_EQ(out[1].second - out[0].second, 20);
    EXPECT_DOUBLE_EQ(out[2].second - out[1].second, 20);
    EXPECT_DOUBLE_EQ(out[3].second - out[2].second, 15);
}

TEST(Report, ChangesMadeBeforePrintCountForThatOutput)
{
    using Change = std::function<void(Report &, ReportComponent &)>;
    const auto set = [](const char *target, const char *sender, std::function<void(ReportComponent &)> change) {
        return Change([=](Report &r, ReportComponent &s) {
            if (s.name == QLatin1String(sender))
                change(*r.findObject(QLatin1String(target)));
        });
    };
    const struct {
        const char *name;
        Change change;
        QStringList texts;
        QList<double> gaps; // between the tops of consecutive texts
    } cases[] = {
        {"band hides itself", set("Title", "Title", [](auto &c) { c.visible = false; }), {"headA", "a0", "sum"}, {20, 15}},
        {"an object hides its band", set("HeadA", "tHeadA", [](auto &c) { c.visible = false; }), {"title", "a0", "sum"}, {20, 15}},
        {"an object hides itself, its band stays", set("tHeadA", "tHeadA", [](auto &c) { c.visible = false; }),
         {"title", "a0", "sum"}, {40, 15}},
        {"an object sets its band's height", set("Title", "tTitle", [](auto &c) { c.height = 50; }),
         {"title", "headA", "a0", "sum"}, {50, 20, 15}},
        {"an object moves down", set("tHeadA", "tHeadA", [](auto &c) { c.top = 7; }), {"title", "headA", "a0", "sum"},
         {27, 13, 15}},
        {"names are found without regard to case", set("TITLE", "Title", [](auto &c) { c.visible = false; }),
         {"headA", "a0", "sum"}, {20, 15}},
        // A band hidden when its objects' turn comes still gives them their callbacks: the one
        // that shows it prints the band, as a barcode object does with its own band.
        {"an object shows its hidden band",
         [=](Report &r, ReportComponent &s) {
             set("Title", "Title", [](auto &c) { c.visible = false; })(r, s);
             set("Title", "tTitle", [](auto &c) { c.visible = true; })(r, s);
         },
         {"title", "headA", "a0", "sum"}, {20, 20, 15}},
    };
    for (const auto &c : cases) {
        Fixture f;
        f.a.setRecordCount(1);
        f.report.setBeforePrint([&](ReportComponent &sender) { c.change(f.report, sender); });
        EXPECT_TRUE(f.report.prepare()) << c.name;
        EXPECT_EQ(f.outputTexts(), c.texts) << c.name;
        const auto out = f.output();
        QList<double> gaps;
        for (qsizetype i = 1; i < out.size(); ++i)
            gaps << out[i].second - out[i - 1].second;
        EXPECT_EQ(gaps, c.gaps) << c.name;
    }

    // Output is a copy: changing an object after its band was output changes no page.
    Fixture f;
    f.a.setRecordCount(2);
    f.report.setBeforePrint([&](ReportComponent &sender) {
        if (sender.name == u"tSum")
            static_cast<TextObject *>(f.report.findObject(QStringLiteral("tTitle")))->text = QStringLiteral("changed");
    });
    f.report.prepare();
    EXPECT_EQ(f.outputTexts().first(), "title");
}

TEST(Report, VariablesComeFromGetValue)
{
    Fixture f(R"(<report><page paperWidth="80" paperHeight="100"><band name="T" kind="title" height="10">
        <text name="x" width="300" height="10" text="[ one ]-[two][open"/></band></page></report>)");
    QStringList names;
    f.report.setGetValue([&](const QString &name, QString &value) {
        names << name;
        value = name == u"two" ? QStringLiteral("2") : QString();
    });
    f.report.prepare();
    EXPECT_EQ(names, (QStringList{"one", "two"}));
    EXPECT_EQ(f.outputTexts(), QStringList{"-2[open"});
}

TEST(Report, TextGrowsWithItsFontAndWraps)
{
    Fixture f(R"(<report><page paperWidth="80" paperHeight="200"><band name="T" kind="title" height="10">
        <text name="x" width="150" height="10" fontSize="6" text="Ab"/></band>
        <band name="S" kind="summary" height="10"><text name="end" width="150" height="10" text="end"/></band></page></report>)");
    f.report.prepare();
    const double smallGap = f.output()[1].second - f.output()[0].second;
    EXPECT_DOUBLE_EQ(smallGap, 10); // 6 pt fits in 10 units

    static_cast<TextObject *>(f.report.findObject(QStringLiteral("x")))->font.setPointSizeF(20);
    f.report.prepare();
    const double bigGap = f.output()[1].second - f.output()[0].second;
    EXPECT_GT(bigGap, 25); // the band grew with its text

    auto *x = static_cast<TextObject *>(f.report.findObject(QStringLiteral("x")));
    const QString words = QStringLiteral("una linea larga que no cabe en el ancho del texto");
    x->font.setPointSizeF(8);
    x->text = words;
    f.report.prepare();
    const QStringList lines = f.output()[0].first.split(u'|');
    EXPECT_GE(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()).remove(u' '), QString(words).remove(u' '));
}

TEST(Report, BandsThatDoNotFitStartANewPage)
{
    Fixture f;
    f.a.setRecordCount(40); // 40 x 15 units on pages of 92 mm printable height
    ASSERT_TRUE(f.report.prepare());
    const auto &pages = f.report.prepared().pages();
    ASSERT_GE(pages.size(), 2);
    int texts = 0;
    for (const auto &page : pages) {
        EXPECT_FALSE(page.empty());
        for (const auto &item : page) {
            EXPECT_GE(item.rect.top(), 4 * kUnitsPerMm);
            EXPECT_LE(item.rect.top() + 15, 96 * kUnitsPerMm);
            ++texts;
        }
    }
    EXPECT_EQ(texts, 43);
}

TEST(Report, LoadingClearsFirstAndAMissingFileLoadsNothing)
{
    QTemporaryDir dir;
    Fixture f;
    f.report.loadFromFile(dir.path() + QStringLiteral("/missing.fr3"));
    EXPECT_TRUE(f.report.layout().isEmpty());
    EXPECT_EQ(f.report.findObject(QStringLiteral("Title")), nullptr);
    EXPECT_TRUE(f.report.prepare());
    EXPECT_TRUE(f.report.prepared().pages().isEmpty());
    EXPECT_TRUE(f.calls.isEmpty());
    // An empty report sends no job, whatever the printer.
    EXPECT_NO_THROW(f.report.prepared().print(QStringLiteral("no such printer"), QStringLiteral("t")));

    QFile file(dir.path() + QStringLiteral("/good.fr3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kLayout);
    file.close();
    f.report.loadFromFile(file.fileName());
    EXPECT_NE(f.report.findObject(QStringLiteral("tdataa")), nullptr);
}

TEST(Report, LayoutsThatAreNotLayoutsAreRefused)
{
    const struct {
        const char *name;
        QByteArray xml;
        const char *message;
    } cases[] = {
        {"not XML", "this is not a layout", "test, línea 1"},
        {"another root", "<layout/>", "se esperaba <report>"},
        {"unknown object", R"(<report><page paperWidth="1" paperHeight="1"><band name="b" kind="title"><circle name="c"/></band></page></report>)",
         "elemento <circle> inesperado"},
        {"repeated name", R"(<report><page paperWidth="1" paperHeight="1"><band name="b" kind="title"><text name="B"/></band></page></report>)",
         "nombre vacío o repetido: 'B'"},
        {"bad number", R"(<report><page paperWidth="ancho" paperHeight="1"/></report>)", "paperWidth no es un número"},
        {"header of nothing", R"(<report><page paperWidth="1" paperHeight="1"><band name="h" kind="header" dataBand="x"/></page></report>)",
         "la banda h no encabeza ninguna banda de datos"},
        {"unknown symbology", R"(<report><page paperWidth="1" paperHeight="1"><band name="b" kind="title"><barcode name="c" symbology="qr"/></band></page></report>)",
         "simbología desconocida: 'qr'"},
        {"truncated", R"(<report><page paperWidth="1" paperHeight="1"><band name="b" kind="title">)", "test, línea 1"},
    };
    for (const auto &c : cases) {
        Fixture f;
        try {
            f.report.loadFromData(c.xml, QStringLiteral("test"));
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const LayoutError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << c.name << ": " << e.message().toStdString();
        }
        EXPECT_TRUE(f.report.layout().isEmpty()) << c.name;
    }
}

TEST(Report, AFailureInACallbackEndsThePreparationAndIsReported)
{
    Fixture f;
    f.a.setRecordCount(3);
    QList<Report::Failure> reported;
    f.report.setErrorHandler([&](const Report::Failure &failure) { reported << failure; });
    f.report.setBeforePrint([&](ReportComponent &sender) {
        f.calls << sender.name;
        if (sender.name == u"tDataA" && f.a.recNo() == 1)
            throw ImageFormatError(QStringLiteral("roto"));
    });
    EXPECT_FALSE(f.report.prepare());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].className, "ImageFormatError");
    EXPECT_EQ(reported[0].message, "roto");
    ASSERT_TRUE(f.report.failure().has_value());
    EXPECT_EQ(f.calls.last(), "tDataA"); // nothing ran after the failure
    EXPECT_EQ(f.outputTexts(), (QStringList{"title", "headA", "a0"})); // what was prepared stays

    // Failures of any kind, and the next preparation starts clean.
    f.report.setBeforePrint([](ReportComponent &) { throw std::runtime_error("sin memoria"); });
    EXPECT_FALSE(f.report.prepare());
    EXPECT_EQ(reported.last().className, "std::runtime_error");
    EXPECT_EQ(reported.last().message, "sin memoria");
    EXPECT_TRUE(f.outputTexts().isEmpty());
    f.report.setBeforePrint(nullptr);
    EXPECT_TRUE(f.report.prepare());
    EXPECT_FALSE(f.report.failure().has_value());
}

TEST(Report, PicturesLoadByExtensionAndDrawCentredAtTheirSize)
{
    QTemporaryDir dir;
    QImage black(40, 30, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString png = dir.path() + QStringLiteral("/logo.png");
    ASSERT_TRUE(black.save(png, "PNG"));
    QFile::copy(png, dir.path() + QStringLiteral("/disguised.bmp"));
    QFile::copy(png, dir.path() + QStringLiteral("/logo.lpf"));

    // Names from the settings or the print string: a FIFO would hold the reader forever.
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.path() + QStringLiteral("/fifo.png")).constData(), 0600), 0);
    QDir().mkpath(dir.path() + QStringLiteral("/folder.bmp"));
    PictureObject picture(QStringLiteral("p"));
    for (const char *bad : {"/disguised.bmp", "/logo.lpf", "/missing.png", "/fifo.png", "/folder.bmp"})
        EXPECT_THROW(picture.loadFromFile(dir.path() + QLatin1String(bad)), ImageFormatError) << bad;
    picture.loadFromFile(png);
    EXPECT_EQ(picture.picture.size(), QSize(40, 30));

    // 40 x 30 units centred in a 100 x 20 box, cut to the box, at 96 dpi: one pixel per unit.
    Fixture f(R"(<report><page paperWidth="50" paperHeight="30"><band name="T" kind="title" height="50">
        <picture name="p" left="10" top="10" width="100" height="20"/></band></page></report>)");
    static_cast<PictureObject *>(f.report.findObject(QStringLiteral("p")))->loadFromFile(png);
    f.report.prepare();
    const QList<InkBlock> blocks = inkBlocks(f.report.prepared().renderPage(0, 96));
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(blocks[0].top, 10);
    EXPECT_EQ(blocks[0].height(), 20);
    EXPECT_EQ(blocks[0].left, 40);
    EXPECT_EQ(blocks[0].width(), 40);
}
