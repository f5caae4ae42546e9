#include "report.h"

#include "layouterror.h"
#include "layoutreader.h"
#include "reportunits.h"
#include "textobject.h"
#include "userdatasource.h"
#include "failuredescription.h"

#include <QFile>
#include <memory>

namespace report {
void Report::loadFromFile(const QString &path)
{
    m_layout.clear();
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw LayoutError(QStringLiteral("No se puede abrir %1: %2").arg(path, file.errorString()));
    loadFromData(file.readAll(), path);
}

void Report::loadFromData(const QByteArray &xml, const QString &origin)
{
    LayoutReader::read(xml, origin, m_layout);
}

void Report::addDataSource(UserDataSource &source)
{
    m_dataSources.insert(source.userName().toLower(), &source);
}

void Report::beforePrint(ReportComponent &sender)
{
    if (m_beforePrint)
        m_beforePrint(sender);
}

QString Report::expand(const QString &text)
{
    QString result;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(u'[', from);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open + 1);
        if (close < 0) {
            result += QStringView(text).mid(from);
            break;
        }
        result += QStringView(text).mid(from, open - from);
        QString value;
        if (m_getValue)
            m_getValue(text.mid(open + 1, close - open - 1).trimmed(), value);
        result += value;
        from = close + 1;
    }
    return result;
}

void Report::startPage()
{
    m_prepared.addPage();
    m_y = m_layout.page().marginTopMm * kUnitsPerMm;
}

void Report::outputBand(ReportBand &band)
{
    beforePrint(band);
    for (const auto &object : band.objects)
        beforePrint(*object);
    if (!band.visible)
        return;

    const ReportLayout::Page &page = m_layout.page();
    const double left = page.marginLeftMm * kUnitsPerMm;
    const double paperRight = page.paperMm.width() * kUnitsPerMm;
    std::vector<std::shared_ptr<ReportObject>> outputs;
    for (const auto &object : band.objects) {
        if (!object->visible)
            continue;
        // GetValue may change the object itself (its font, say) for this output: copy after.
        const auto *text = dynamic_cast<const TextObject *>(object.get());
        const QString shown = text ? expand(text->text) : QString();
        std::shared_ptr<ReportObject> output = object->clone();
        if (text)
            static_cast<TextObject &>(*output).text = shown;
        output->prepareOutput(paperRight - left - object->left);
        outputs.push_back(std::move(output));
    }
    // GetValue may have hidden the band.
    if (!band.visible)
        return;

    // A band is never shorter than what it paints, so nothing is printed over the next band.
    double height = band.height;
    for (const auto &output : outputs)
        if (!output->paintsNothing())
            height = std::max(height, output->top + output->outputHeight());

    const double bottom = (page.paperMm.height() - page.marginBottomMm) * kUnitsPerMm;
    if (m_y + height > bottom && !m_prepared.pages().last().empty())
        startPage();
    for (auto &output : outputs) {
        const QRectF rect(left + output->left, m_y + output->top, output->width, output->outputHeight());
        m_prepared.add({rect, std::move(output)});
    }
    m_y += height;
}

void Report::runDataBand(ReportBand &band)
{
    UserDataSource *source = m_dataSources.value(band.dataSource.toLower());
    const int records = source ? source->recordCount() : 0;
    if (ReportBand *header = m_layout.headerOf(band); header && (records > 0 || header->printIfDetailEmpty))
        outputBand(*header);
    for (int r = 0; r < records; ++r) {
        source->setRecNo(r);
        outputBand(band);
    }
}

bool Report::prepare()
{
    m_failure.reset();
    m_failureException = nullptr;
    if (m_layout.isEmpty()) {
        m_prepared = PreparedReport();
        return true;
    }
    m_prepared = PreparedReport(m_layout.page());
    try {
        startPage();
        for (const auto &band : m_layout.bands) {
            if (band->kind == ReportBand::Kind::Data)
                runDataBand(*band);
            else if (band->kind != ReportBand::Kind::Header) // headers go with their data band
                outputBand(*band);
        }
        return true;
    } catch (const std::exception &e) {
        m_failureException = std::current_exception();
        fail(describeFailure(e));
    }
    return false;
}

void Report::rethrowFailure() const
{
    if (m_failureException)
        std::rethrow_exception(m_failureException);
}

void Report::fail(Failure failure)
{
    m_failure = failure;
    if (m_onError)
        m_onError(failure);
}

} // namespace report
